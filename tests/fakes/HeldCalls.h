#pragma once

#include <coroutine>
#include <cstddef>
#include <deque>
#include <utility>

namespace velmora {

// Makes a fake's asynchronous calls wait until the test lets them finish, like a slow disk or
// a desktop service that takes its time. Open (the default), a call goes straight through.
class HeldCalls {
public:
    class Awaiter {
    public:
        explicit Awaiter(HeldCalls& calls) : calls_(calls) {}
        bool await_ready() const { return !calls_.holding_; }
        void await_suspend(std::coroutine_handle<> handle) { calls_.waiting_.push_back(handle); }
        void await_resume() const {}

    private:
        HeldCalls& calls_;
    };

    // `co_await calls.pass()` inside the fake's call.
    Awaiter pass() { return Awaiter(*this); }

    void hold() { holding_ = true; }
    std::size_t waiting() const { return waiting_.size(); }
    // Lets the oldest waiting call finish (it runs on until its next wait).
    void releaseOne() {
        if (waiting_.empty())
            return;
        auto next = waiting_.front();
        waiting_.pop_front();
        next.resume();
    }
    // Stops holding and lets every waiting call finish.
    void open() {
        holding_ = false;
        while (!waiting_.empty())
            releaseOne();
    }

private:
    bool holding_ = false;
    std::deque<std::coroutine_handle<>> waiting_;
};

} // namespace velmora
