#pragma once

#include <QCoreApplication>
#include <QThreadPool>

#include <atomic>
#include <functional>
#include <memory>

namespace velmora {

// Reads a file (or does other slow work) on the thread pool and hands the result to the main
// thread. Only the latest read counts: starting another, cancel() or destruction drops the
// earlier result before it can touch anything. Owned and used on the main thread.
class LatestRead {
public:
    LatestRead() = default;
    LatestRead(const LatestRead&) = delete;
    LatestRead& operator=(const LatestRead&) = delete;
    ~LatestRead() { cancel(); }

    template <typename T>
    void start(std::function<T()> work, std::function<void(T)> done) {
        cancel();
        auto cancelled = std::make_shared<std::atomic_bool>(false);
        cancelled_ = cancelled;
        QThreadPool::globalInstance()->start([cancelled, work = std::move(work),
                                              done = std::move(done)]() mutable {
            if (*cancelled)
                return;
            auto result = std::make_shared<T>(work());
            // The flag is set and read on the main thread only from here on, so a read that
            // was cancelled while it ran never reaches `done`.
            QMetaObject::invokeMethod(QCoreApplication::instance(), [cancelled, result, done] {
                if (!*cancelled)
                    done(std::move(*result));
            }, Qt::QueuedConnection);
        });
    }

    void cancel() {
        if (cancelled_)
            *cancelled_ = true;
        cancelled_.reset();
    }

private:
    std::shared_ptr<std::atomic_bool> cancelled_;
};

} // namespace velmora
