#pragma once

#include "capture/Clock.h"
#include "capture/Scheduler.h"

#include <QTimeZone>

namespace velmora {

// Wall time that follows a scheduler's virtual time from a fixed start, plus any jump the test
// makes (a clock set back, for example).
class ManualClock final : public Clock {
public:
    explicit ManualClock(const Scheduler& scheduler,
                         QDateTime start = QDateTime(QDate(2026, 3, 14), QTime(9, 30), QTimeZone::utc()))
        : scheduler_(scheduler), start_(std::move(start)) {}

    QDateTime now() const override { return start_.addMSecs(scheduler_.elapsed().count() + offsetMs_); }
    void jump(qint64 milliseconds) { offsetMs_ += milliseconds; }

private:
    const Scheduler& scheduler_;
    QDateTime start_;
    qint64 offsetMs_ = 0;
};

} // namespace velmora
