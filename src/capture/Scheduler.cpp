#include "capture/Scheduler.h"

namespace velmora {

Scheduler::SleepAwaiter Scheduler::sleep(Duration delay, CancelToken token) {
    return SleepAwaiter(*this, delay, std::move(token));
}

Scheduler::SleepAwaiter::SleepAwaiter(Scheduler& scheduler, Duration delay, CancelToken token)
    : scheduler_(scheduler), delay_(delay), token_(std::move(token)) {}

void Scheduler::SleepAwaiter::await_suspend(std::coroutine_handle<> handle) {
    auto state = std::make_shared<State>();
    state_ = state;
    auto registration = std::make_shared<CancelToken::Registration>(0);
    Scheduler* scheduler = &scheduler_;
    CancelToken token = token_;
    const TimerId timer = scheduler->schedule(delay_, [state, handle, registration, token]() mutable {
        if (state->done)
            return;
        state->done = true;
        state->elapsed = true;
        token.remove(*registration);
        handle.resume();
    });
    // Cancellation wakes the sleeper on the scheduler's next turn so that cancel() never runs
    // the rest of the sleeping coroutine inside its caller.
    *registration = token.onCancel([state, handle, timer, scheduler] {
        if (state->done)
            return;
        scheduler->cancel(timer);
        scheduler->schedule(Duration::zero(), [state, handle] {
            if (state->done)
                return;
            state->done = true;
            handle.resume();
        });
    });
}

} // namespace velmora
