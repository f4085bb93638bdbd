#pragma once

#include "capture/SerialExecutor.h"
#include "fakes/AccessibilityJobMarker.h"

#include <deque>
#include <utility>

namespace velmora {

// Holds every job until the test runs it: lets a test act while a background job is in flight.
class DeferredExecutor final : public SerialExecutor {
public:
    void submit(std::function<void()> job, std::function<void()> resume) override {
        pending_.emplace_back(std::move(job), std::move(resume));
    }
    std::size_t pendingCount() const { return pending_.size(); }
    // Runs the jobs queued so far (and any they queue), each followed by its resumption.
    void runAll() {
        while (!pending_.empty()) {
            auto [job, resume] = std::move(pending_.front());
            pending_.pop_front();
            {
                AccessibilityJobMarker marker;
                job();
            }
            resume();
        }
    }

private:
    std::deque<std::pair<std::function<void()>, std::function<void()>>> pending_;
};

} // namespace velmora
