#pragma once

#include <QString>

namespace velmora {

// Why a capture session ended.
enum class SessionStopReason {
    graceExpired, // too many consecutive polls without any caption line
    sourceEnded,  // the reader's stream ended, or the session was stopped from outside
};

namespace SessionStopReasons {
QString rawValue(SessionStopReason reason);
} // namespace SessionStopReasons

} // namespace velmora
