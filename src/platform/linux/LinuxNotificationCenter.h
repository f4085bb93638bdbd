#pragma once

#include "app/NotificationCenterProviding.h"

#include <QDBusConnection>
#include <QHash>
#include <QObject>

#include <chrono>

namespace velmora {

// Desktop notifications over org.freedesktop.Notifications. There is no permission to ask
// for: notifications count as authorised while a notification server owns the name (or the
// bus can start one) and as denied otherwise. A click on one of our notifications ("default"
// action) goes to the delegate with the notification's user information.
class LinuxNotificationCenter final : public QObject, public NotificationCenterProviding {
    Q_OBJECT
public:
    static constexpr auto serviceName = "org.freedesktop.Notifications";
    static constexpr auto objectPath = "/org/freedesktop/Notifications";
    static constexpr auto defaultAction = "default";

    // A hung server must not keep the caller waiting for D-Bus's default 25 seconds.
    static constexpr std::chrono::milliseconds defaultCallTimeout{3000};

    explicit LinuxNotificationCenter(const QDBusConnection& bus = QDBusConnection::sessionBus(),
                                     std::chrono::milliseconds callTimeout = defaultCallTimeout,
                                     QObject* parent = nullptr);

    QCoro::Task<bool> requestAuthorization(AuthorizationOptions options) override;
    QCoro::Task<AuthorizationStatus> authorizationStatus() override;
    QCoro::Task<> add(Request request) override;
    void setDelegate(NotificationDelegate* delegate) override { delegate_ = delegate; }
    QString statusDescription(AuthorizationStatus status) const override;

private slots:
    void onActionInvoked(uint id, const QString& actionKey);
    void onNotificationClosed(uint id, uint reason);

private:
    QCoro::Task<bool> busAnswers(QString method);
    QCoro::Task<bool> serverSupportsBodyMarkup();
    // Every call is asynchronous and ends with an error reply after the timeout.
    QDBusPendingCall call(const QDBusMessage& message) const;

    QDBusConnection bus_;
    std::chrono::milliseconds callTimeout_;
    NotificationDelegate* delegate_ = nullptr;
    // User information of the notifications we posted and that are still open, by server id.
    QHash<uint, QVariantMap> posted_;
};

} // namespace velmora
