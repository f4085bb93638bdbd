#pragma once

#include "capture/SerialExecutor.h"
#include "fakes/AccessibilityJobMarker.h"

namespace velmora {

// Runs each job at once on the caller's thread: deterministic unit tests in virtual time.
class ImmediateExecutor final : public SerialExecutor {
public:
    void submit(std::function<void()> job, std::function<void()> resume) override {
        ++jobCount;
        {
            AccessibilityJobMarker marker;
            job();
        }
        resume();
    }
    int jobCount = 0;
};

} // namespace velmora
