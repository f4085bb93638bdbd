#pragma once

#include <QCoroTask>

#include <coroutine>
#include <exception>
#include <functional>
#include <optional>
#include <type_traits>

namespace velmora {

// Runs jobs one at a time, in submission order, away from the caller. `co_await run(job)` on
// the main thread resumes the caller on the main thread with the job's result (or exception).
class SerialExecutor {
public:
    virtual ~SerialExecutor() = default;

    template <typename Job>
    auto run(Job job) -> QCoro::Task<std::invoke_result_t<Job>>;

    // Runs `job` on the executor, then `resume` on the thread that submitted.
    virtual void submit(std::function<void()> job, std::function<void()> resume) = 0;

private:
    struct Dispatch {
        SerialExecutor* executor;
        std::function<void()> job;
        bool await_ready() const noexcept { return false; }
        void await_suspend(std::coroutine_handle<> handle) {
            executor->submit(job, [handle] { handle.resume(); });
        }
        void await_resume() const noexcept {}
    };
};

template <typename Job>
auto SerialExecutor::run(Job job) -> QCoro::Task<std::invoke_result_t<Job>> {
    using Result = std::invoke_result_t<Job>;
    std::exception_ptr error;
    // Awaiters are named locals: GCC 12 may destroy temporaries of a co_await twice.
    if constexpr (std::is_void_v<Result>) {
        Dispatch dispatch{this, [&] {
                              try {
                                  job();
                              } catch (...) {
                                  error = std::current_exception();
                              }
                          }};
        co_await dispatch;
        if (error)
            std::rethrow_exception(error);
    } else {
        std::optional<Result> result;
        Dispatch dispatch{this, [&] {
                              try {
                                  result.emplace(job());
                              } catch (...) {
                                  error = std::current_exception();
                              }
                          }};
        co_await dispatch;
        if (error)
            std::rethrow_exception(error);
        co_return std::move(*result);
    }
}

} // namespace velmora
