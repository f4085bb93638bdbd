#pragma once

#include "capture/SerialExecutor.h"

#include <deque>
#include <utility>

namespace velmora {

// Runs jobs at once, or, while held, keeps them until the test releases them in order: an
// accessibility queue busy with a long browser scan.
class HoldableExecutor final : public SerialExecutor {
public:
    void submit(std::function<void()> job, std::function<void()> resume) override {
        if (!holding_ && pending_.empty()) {
            job();
            resume();
            return;
        }
        pending_.emplace_back(std::move(job), std::move(resume));
    }
    void hold() { holding_ = true; }
    std::size_t pendingCount() const { return pending_.size(); }
    // Stops holding and runs what was kept, each job followed by its resumption.
    void release() {
        holding_ = false;
        while (!pending_.empty()) {
            auto [job, resume] = std::move(pending_.front());
            pending_.pop_front();
            job();
            resume();
        }
    }

private:
    bool holding_ = false;
    std::deque<std::pair<std::function<void()>, std::function<void()>>> pending_;
};

} // namespace velmora
