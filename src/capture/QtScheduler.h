#pragma once

#include "capture/Scheduler.h"

#include <QElapsedTimer>
#include <QHash>
#include <QObject>

class QTimer;

namespace velmora {

// Production scheduler: Qt timers (monotonic) on the thread that created it.
class QtScheduler final : public QObject, public Scheduler {
    Q_OBJECT
public:
    explicit QtScheduler(QObject* parent = nullptr);
    ~QtScheduler() override;

    TimerId schedule(Duration delay, std::function<void()> callback) override;
    void cancel(TimerId id) override;
    Duration elapsed() const override;

private:
    QElapsedTimer clock_;
    QHash<TimerId, QTimer*> timers_;
    TimerId nextId_ = 1;
};

} // namespace velmora
