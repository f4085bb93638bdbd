#pragma once

#include "capture/SerialExecutor.h"

namespace velmora {

// Runs each job at once on the caller's thread: deterministic unit tests in virtual time.
class ImmediateExecutor final : public SerialExecutor {
public:
    void submit(std::function<void()> job, std::function<void()> resume) override {
        ++jobCount;
        job();
        resume();
    }
    int jobCount = 0;
};

} // namespace velmora
