#pragma once

#include <coroutine>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <utility>

namespace velmora {

// An unbounded single-consumer stream. send() never drops a value; once finished (by the
// producer with finish() or by the consumer with cancel()) it stays finished. The waiting
// consumer is resumed inside send()/finish(), on the producer's thread.
template <typename T>
class AsyncChannel {
public:
    class NextAwaiter;

    void send(T value) {
        if (finished_)
            return;
        buffer_.push_back(std::move(value));
        wakeConsumer();
    }

    void finish() {
        if (finished_)
            return;
        finished_ = true;
        runTermination();
        wakeConsumer();
    }

    // The consumer stops listening: values still buffered are discarded.
    void cancel() {
        buffer_.clear();
        finish();
    }

    bool isFinished() const { return finished_; }

    // Called once when the channel is finished or cancelled.
    void setOnTermination(std::function<void()> handler) { onTermination_ = std::move(handler); }

    // Called each time the consumer starts waiting on an empty channel, so that a producer can
    // read its next value only when it is asked for. The handler must not send() from inside
    // the call (the consumer is still suspending): it posts the work instead.
    void setOnDemand(std::function<void()> handler) { onDemand_ = std::move(handler); }

    // `co_await channel.next()`: the next value, or nothing once the channel has ended.
    NextAwaiter next() { return NextAwaiter(*this); }

    class NextAwaiter {
    public:
        explicit NextAwaiter(AsyncChannel& channel) : channel_(channel) {}
        bool await_ready() const { return !channel_.buffer_.empty() || channel_.finished_; }
        void await_suspend(std::coroutine_handle<> handle) {
            channel_.waiting_ = handle;
            if (channel_.onDemand_)
                channel_.onDemand_();
        }
        std::optional<T> await_resume() {
            if (channel_.buffer_.empty())
                return std::nullopt;
            T value = std::move(channel_.buffer_.front());
            channel_.buffer_.pop_front();
            return value;
        }

    private:
        AsyncChannel& channel_;
    };

private:
    void wakeConsumer() {
        if (auto handle = std::exchange(waiting_, nullptr))
            handle.resume();
    }
    void runTermination() {
        if (auto handler = std::exchange(onTermination_, nullptr))
            handler();
    }

    std::deque<T> buffer_;
    bool finished_ = false;
    std::coroutine_handle<> waiting_;
    std::function<void()> onTermination_;
    std::function<void()> onDemand_;
};

} // namespace velmora
