#include "capture/SerialQueue.h"

#include <QAbstractEventDispatcher>
#include <QMetaObject>

namespace velmora {

SerialQueue::SerialQueue(const QString& name) : worker_(new QObject) {
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
    // The caller's thread must run an event loop; its event dispatcher's object is a stable
    // receiver living on that thread.
    QPointer<QObject> caller = QAbstractEventDispatcher::instance(QThread::currentThread());
    Q_ASSERT(caller);
    QMetaObject::invokeMethod(
        worker_,
        [job = std::move(job), resume = std::move(resume), caller]() mutable {
            job();
            if (caller)
                QMetaObject::invokeMethod(caller, std::move(resume), Qt::QueuedConnection);
        },
        Qt::QueuedConnection);
}

} // namespace velmora
