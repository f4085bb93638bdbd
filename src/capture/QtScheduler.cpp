#include "capture/QtScheduler.h"

#include <QTimer>

namespace velmora {

QtScheduler::QtScheduler(QObject* parent) : QObject(parent) { clock_.start(); }

QtScheduler::~QtScheduler() { qDeleteAll(timers_); }

Scheduler::TimerId QtScheduler::schedule(Duration delay, std::function<void()> callback) {
    const TimerId id = nextId_++;
    auto* timer = new QTimer(this);
    timer->setSingleShot(true);
    timer->setTimerType(delay < Duration(2000) ? Qt::PreciseTimer : Qt::CoarseTimer);
    connect(timer, &QTimer::timeout, this, [this, id, callback = std::move(callback)] {
        if (QTimer* fired = timers_.take(id))
            fired->deleteLater();
        callback();
    });
    timers_.insert(id, timer);
    timer->start(std::chrono::milliseconds(delay));
    return id;
}

void QtScheduler::cancel(TimerId id) {
    if (QTimer* timer = timers_.take(id)) {
        timer->stop();
        timer->deleteLater();
    }
}

Duration QtScheduler::elapsed() const { return Duration(clock_.elapsed()); }

} // namespace velmora
