#include "capture/SerialQueue.h"

#include <QMetaObject>

namespace velmora {

SerialQueue::SerialQueue(const QString& name) : worker_(new QObject) {
    owner_ = std::make_unique<QObject>();
    thread_.setObjectName(name);
    worker_->moveToThread(&thread_);
    QObject::connect(&thread_, &QThread::finished, worker_, &QObject::deleteLater);
    thread_.start();
}

SerialQueue::~SerialQueue() {
    // Posted after every job already submitted, so those still run.
    QMetaObject::invokeMethod(worker_, [this] { thread_.quit(); }, Qt::QueuedConnection);
    thread_.wait();
}

void SerialQueue::submit(std::function<void()> job, std::function<void()> resume) {
    // Results are delivered through the event loop of the thread that created the queue.
    Q_ASSERT(QThread::currentThread() == owner_->thread());
    QPointer<QObject> caller = owner_.get();
    QMetaObject::invokeMethod(
        worker_,
        [job = std::move(job), resume = std::move(resume), caller]() mutable {
            job();
            if (caller)
                QMetaObject::invokeMethod(caller.data(), std::move(resume), Qt::QueuedConnection);
        },
        Qt::QueuedConnection);
}

} // namespace velmora
