#pragma once

#include "capture/SessionStopReason.h"

#include <QCoroTask>

namespace velmora {

// One capture session as the application controller drives it.
class SessionCoordinating {
public:
    virtual ~SessionCoordinating() = default;

    // Runs the whole session and returns when it is over, after the last entries have been
    // handed to the writer. Throws VelmoraError::sessionAlreadyRunning, or the reader's error.
    virtual QCoro::Task<SessionStopReason> start() = 0;
    // Ends a running session from outside; start() then returns sourceEnded. Returns once the
    // session has ended; does nothing when no session runs.
    virtual QCoro::Task<> stop() = 0;
    virtual bool isRunning() const = 0;
};

} // namespace velmora
