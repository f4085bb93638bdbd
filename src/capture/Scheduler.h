#pragma once

#include "capture/CancelToken.h"

#include <chrono>
#include <coroutine>
#include <functional>
#include <memory>

namespace velmora {

using Duration = std::chrono::milliseconds;

// Every sleep, interval and timeout of the system goes through one Scheduler, so that tests
// can run the 30-second cooldown or the 120-poll grace limit in virtual time.
// Callbacks and resumed coroutines run on the thread that owns the scheduler (the main thread).
class Scheduler {
public:
    using TimerId = quint64;

    virtual ~Scheduler() = default;

    // Runs `callback` once after `delay` on a monotonic clock.
    virtual TimerId schedule(Duration delay, std::function<void()> callback) = 0;
    // A timer that has not fired yet never fires.
    virtual void cancel(TimerId id) = 0;

    // Monotonic time since an arbitrary origin.
    virtual Duration elapsed() const = 0;

    class SleepAwaiter;
    // `co_await scheduler.sleep(d, token)` yields true once `d` has passed, or false as soon as
    // the token is cancelled (at the next turn of the scheduler, never inside cancel()).
    SleepAwaiter sleep(Duration delay, CancelToken token = CancelToken());
};

class Scheduler::SleepAwaiter {
public:
    SleepAwaiter(Scheduler& scheduler, Duration delay, CancelToken token);

    bool await_ready() const { return token_.isCancelled(); }
    void await_suspend(std::coroutine_handle<> handle);
    bool await_resume() const { return state_ ? state_->elapsed : false; }

private:
    struct State {
        bool done = false;
        bool elapsed = false;
    };
    Scheduler& scheduler_;
    Duration delay_;
    CancelToken token_;
    std::shared_ptr<State> state_;
};

} // namespace velmora
