#pragma once

#include "capture/SerialExecutor.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QThread>

namespace velmora {

// A serial executor on a thread of its own (transcript writers, history saves).
// Results come back through the event loop of the thread that submitted.
class SerialQueue final : public SerialExecutor {
public:
    explicit SerialQueue(const QString& name);
    ~SerialQueue() override; // runs the jobs already submitted, then stops the thread

    void submit(std::function<void()> job, std::function<void()> resume) override;

private:
    QThread thread_;
    QObject* worker_; // lives on thread_
};

} // namespace velmora
