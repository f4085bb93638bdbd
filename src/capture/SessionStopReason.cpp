#include "capture/SessionStopReason.h"

namespace velmora::SessionStopReasons {

QString rawValue(SessionStopReason reason) {
    switch (reason) {
    case SessionStopReason::graceExpired: return QStringLiteral("graceExpired");
    case SessionStopReason::sourceEnded: return QStringLiteral("sourceEnded");
    }
    Q_UNREACHABLE();
}

} // namespace velmora::SessionStopReasons
