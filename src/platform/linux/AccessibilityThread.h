#pragma once

#include "capture/SerialExecutor.h"

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <thread>
#include <type_traits>

namespace velmora {

// The one thread that talks AT-SPI. libatspi has no locks and hangs its D-Bus connections on
// GLib's default main context, so this thread owns that context: it pumps it between jobs
// (libatspi's events and replies arrive there) and sleeps in it while idle.
//
// As the readers' accessibility queue it runs submitted jobs one at a time, in order; call()
// runs work on it from any thread and waits, and runs it directly when already on it.
//
// The main thread must not wait: behind a queued browser scan the wait lasts seconds and the
// windows freeze. It awaits jobs on the queue instead. With the environment variable
// VELMORA_STRICT_ACCESSIBILITY_THREAD=1 (or setMainThreadWaitsFatal) a call() that would make
// the main thread wait ends the process with a message; the tests run the application so.
class AccessibilityThread final : public SerialExecutor {
public:
    AccessibilityThread();
    ~AccessibilityThread() override; // runs the jobs already queued, then stops

    void submit(std::function<void()> job, std::function<void()> resume) override;

    // Fire and forget (releasing references from other threads, for instance). Dropped once
    // the thread has stopped.
    void post(std::function<void()> work);

    template <typename Work>
    auto call(Work&& work) -> std::invoke_result_t<Work>;
    // call() without the main-thread check: for start-up, teardown and command-line tools,
    // where nothing else runs that a wait could hold up.
    template <typename Work>
    auto callBlocking(Work&& work) -> std::invoke_result_t<Work>;

    static void setMainThreadWaitsFatal(bool fatal);

    bool isCurrent() const { return std::this_thread::get_id() == threadId_; }
    // Whether the calling thread is an accessibility thread at all (there is one per backend).
    static bool onAccessibilityThread();

    // Runs on the thread after every job (clearing what one job may cache).
    void setAfterJob(std::function<void()> hook);

private:
    struct State;
    static void checkMayWait();
    bool enqueue(std::function<void()> job); // false once stopped
    void loop();

    std::shared_ptr<State> state_;
    std::thread thread_;
    std::thread::id threadId_;
    std::function<void()> afterJob_;
};

template <typename Work>
auto AccessibilityThread::call(Work&& work) -> std::invoke_result_t<Work> {
    if (!isCurrent())
        checkMayWait();
    return callBlocking(std::forward<Work>(work));
}

template <typename Work>
auto AccessibilityThread::callBlocking(Work&& work) -> std::invoke_result_t<Work> {
    using Result = std::invoke_result_t<Work>;
    if (isCurrent())
        return work();
    std::mutex mutex;
    std::condition_variable done;
    bool finished = false;
    std::exception_ptr error;
    std::conditional_t<std::is_void_v<Result>, bool, std::optional<Result>> result{};
    const bool queued = enqueue([&] {
        try {
            if constexpr (std::is_void_v<Result>)
                work();
            else
                result.emplace(work());
        } catch (...) {
            error = std::current_exception();
        }
        std::lock_guard lock(mutex);
        finished = true;
        done.notify_one();
    });
    if (!queued)
        throw std::logic_error("accessibility thread has stopped");
    std::unique_lock lock(mutex);
    done.wait(lock, [&] { return finished; });
    if (error)
        std::rethrow_exception(error);
    if constexpr (!std::is_void_v<Result>)
        return std::move(*result);
}

} // namespace velmora
