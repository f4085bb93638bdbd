#include "app/NotificationCenterProviding.h"

namespace velmora {

QString NotificationCenterProviding::statusName(AuthorizationStatus status) {
    switch (status) {
    case AuthorizationStatus::notDetermined: return QStringLiteral("notDetermined");
    case AuthorizationStatus::denied: return QStringLiteral("denied");
    case AuthorizationStatus::authorized: return QStringLiteral("authorized");
    case AuthorizationStatus::provisional: return QStringLiteral("provisional");
    case AuthorizationStatus::ephemeral: return QStringLiteral("ephemeral");
    }
    Q_UNREACHABLE();
}

} // namespace velmora
