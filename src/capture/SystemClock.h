#pragma once

#include "capture/Clock.h"

namespace velmora {

class SystemClock final : public Clock {
public:
    QDateTime now() const override { return QDateTime::currentDateTime(); }
};

} // namespace velmora
