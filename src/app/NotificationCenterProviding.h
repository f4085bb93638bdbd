#pragma once

#include <QCoroTask>
#include <QFlags>
#include <QString>
#include <QVariantMap>

namespace velmora {

class NotificationDelegate;

// The desktop's notification centre. The coroutines that may fail throw NotificationError.
class NotificationCenterProviding {
public:
    enum class AuthorizationStatus { notDetermined, denied, authorized, provisional, ephemeral };
    enum class AuthorizationOption { alert = 0x1, sound = 0x2, badge = 0x4 };
    Q_DECLARE_FLAGS(AuthorizationOptions, AuthorizationOption)

    struct Request {
        QString identifier;
        QString title;
        QString body;
        QVariantMap userInfo; // handed back to the delegate when the user clicks
    };

    virtual ~NotificationCenterProviding() = default;

    virtual QCoro::Task<bool> requestAuthorization(AuthorizationOptions options) = 0;
    virtual QCoro::Task<AuthorizationStatus> authorizationStatus() = 0;
    virtual QCoro::Task<> add(Request request) = 0;
    // Told about clicks on notifications this centre posted. A centre that cannot report
    // clicks ignores it.
    virtual void setDelegate(NotificationDelegate* delegate) = 0;
    // What a status means on this desktop, in words for the settings page.
    virtual QString statusDescription(AuthorizationStatus status) const = 0;

    static QString statusName(AuthorizationStatus status);
};

Q_DECLARE_OPERATORS_FOR_FLAGS(NotificationCenterProviding::AuthorizationOptions)

} // namespace velmora
