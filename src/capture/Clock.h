#pragma once

#include <QDateTime>

namespace velmora {

// Wall-clock time. One clock, held by the application controller, is handed to every reader
// and writer so that tests and replays can set the time.
class Clock {
public:
    virtual ~Clock() = default;
    virtual QDateTime now() const = 0;
};

} // namespace velmora
