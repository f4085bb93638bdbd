#pragma once

#include <coroutine>
#include <deque>
#include <utility>

namespace velmora {

// Lets one coroutine at a time through, the others in the order they asked. For one thread:
// the next waiter is resumed inside unlock(), when the holder's guard goes out of scope.
//
//     auto entry = mutex.lock();
//     auto guard = co_await entry;
class AsyncMutex {
public:
    class Guard {
    public:
        Guard() = default;
        explicit Guard(AsyncMutex* mutex) : mutex_(mutex) {}
        Guard(Guard&& other) noexcept : mutex_(std::exchange(other.mutex_, nullptr)) {}
        Guard& operator=(Guard&& other) noexcept {
            if (this != &other) {
                release();
                mutex_ = std::exchange(other.mutex_, nullptr);
            }
            return *this;
        }
        ~Guard() { release(); }
        void release() {
            if (auto* mutex = std::exchange(mutex_, nullptr))
                mutex->unlock();
        }

    private:
        AsyncMutex* mutex_ = nullptr;
    };

    class LockAwaiter {
    public:
        explicit LockAwaiter(AsyncMutex& mutex) : mutex_(mutex) {}
        bool await_ready() {
            if (mutex_.locked_)
                return false;
            mutex_.locked_ = true;
            return true;
        }
        void await_suspend(std::coroutine_handle<> handle) { mutex_.waiting_.push_back(handle); }
        // The lock passes to a waiter while still held, so nobody overtakes it.
        Guard await_resume() { return Guard(&mutex_); }

    private:
        AsyncMutex& mutex_;
    };

    LockAwaiter lock() { return LockAwaiter(*this); }
    bool isLocked() const { return locked_; }
    std::size_t waitingCount() const { return waiting_.size(); }

private:
    void unlock() {
        if (waiting_.empty()) {
            locked_ = false;
            return;
        }
        auto next = waiting_.front();
        waiting_.pop_front();
        next.resume();
    }

    bool locked_ = false;
    std::deque<std::coroutine_handle<>> waiting_;
};

} // namespace velmora
