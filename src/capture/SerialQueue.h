#pragma once

#include "capture/SerialExecutor.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QThread>

#include <memory>

namespace velmora {

// A serial executor on a thread of its own (transcript writers, history saves). Jobs are
// submitted from, and results come back through the event loop of, the thread that created it.
class SerialQueue final : public SerialExecutor {
public:
    explicit SerialQueue(const QString& name);
    ~SerialQueue() override; // runs the jobs already submitted, then stops the thread

    void submit(std::function<void()> job, std::function<void()> resume) override;

private:
    QThread thread_;
    QObject* worker_; // lives on thread_
    std::unique_ptr<QObject> owner_; // lives on the creating thread
};

} // namespace velmora
