#pragma once

#include "capture/Clock.h"

namespace velmora {

// The time of the recorded snapshot read last, so that a replay reproduces the capture's times.
class ReplayClock final : public Clock {
public:
    explicit ReplayClock(QDateTime start) : now_(std::move(start)) {}

    QDateTime now() const override { return now_; }
    void set(QDateTime time) { now_ = std::move(time); }

private:
    QDateTime now_;
};

} // namespace velmora
