#pragma once

#include "app/NotificationCenterProviding.h"

#include <QDBusConnection>
#include <QHash>
#include <QObject>

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

    explicit LinuxNotificationCenter(const QDBusConnection& bus = QDBusConnection::sessionBus(),
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

    QDBusConnection bus_;
    NotificationDelegate* delegate_ = nullptr;
    // User information of the notifications we posted and that are still open, by server id.
    QHash<uint, QVariantMap> posted_;
};

} // namespace velmora
