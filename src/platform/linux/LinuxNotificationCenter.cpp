#include "platform/linux/LinuxNotificationCenter.h"

#include "app/NotificationDelegate.h"
#include "app/NotificationError.h"

#include <QCoroDBusPendingCall>
#include <QDBusMessage>
#include <QDBusPendingCall>

namespace velmora {

namespace {

QDBusMessage notificationsCall(const QString& method) {
    return QDBusMessage::createMethodCall(QLatin1String(LinuxNotificationCenter::serviceName),
                                          QLatin1String(LinuxNotificationCenter::objectPath),
                                          QLatin1String(LinuxNotificationCenter::serviceName), method);
}

} // namespace

LinuxNotificationCenter::LinuxNotificationCenter(const QDBusConnection& bus,
                                                 std::chrono::milliseconds callTimeout,
                                                 QObject* parent)
    : QObject(parent), bus_(bus), callTimeout_(callTimeout) {
    const QString service = QLatin1String(serviceName);
    const QString path = QLatin1String(objectPath);
    // Bound to the name, so another client cannot fake a click.
    bus_.connect(service, path, service, QStringLiteral("ActionInvoked"), this,
                 SLOT(onActionInvoked(uint, QString)));
    bus_.connect(service, path, service, QStringLiteral("NotificationClosed"), this,
                 SLOT(onNotificationClosed(uint, uint)));
}

QDBusPendingCall LinuxNotificationCenter::call(const QDBusMessage& message) const {
    return bus_.asyncCall(message, int(callTimeout_.count()));
}

QCoro::Task<bool> LinuxNotificationCenter::busAnswers(QString method) {
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
        QStringLiteral("org.freedesktop.DBus"), method);
    if (method == QLatin1String("NameHasOwner"))
        call << QLatin1String(serviceName);
    QDBusPendingCall pending = this->call(call);
    const QDBusMessage reply = co_await pending;
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        throw NotificationError(reply.errorMessage());
    const QVariant answer = reply.arguments().constFirst();
    if (method == QLatin1String("NameHasOwner"))
        co_return answer.toBool();
    co_return answer.toStringList().contains(QLatin1String(serviceName));
}

QCoro::Task<NotificationCenterProviding::AuthorizationStatus>
LinuxNotificationCenter::authorizationStatus() {
    if (!bus_.isConnected())
        throw NotificationError(QStringLiteral("Not connected to the session bus"));
    auto owned = busAnswers(QStringLiteral("NameHasOwner"));
    if (co_await owned)
        co_return AuthorizationStatus::authorized;
    // A server the bus starts on demand (many lightweight desktops) shows ours just as well.
    auto activatable = busAnswers(QStringLiteral("ListActivatableNames"));
    co_return (co_await activatable) ? AuthorizationStatus::authorized : AuthorizationStatus::denied;
}

QCoro::Task<bool> LinuxNotificationCenter::requestAuthorization(AuthorizationOptions) {
    // Nothing to ask: the desktop either shows notifications or has no server for them.
    auto status = authorizationStatus();
    co_return (co_await status) == AuthorizationStatus::authorized;
}

QCoro::Task<bool> LinuxNotificationCenter::serverSupportsBodyMarkup() {
    QDBusPendingCall pending = call(notificationsCall(QStringLiteral("GetCapabilities")));
    const QDBusMessage reply = co_await pending;
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        co_return false;
    co_return reply.arguments().constFirst().toStringList().contains(QLatin1String("body-markup"));
}

QCoro::Task<> LinuxNotificationCenter::add(Request request) {
    if (!bus_.isConnected())
        throw NotificationError(QStringLiteral("Not connected to the session bus"));
    // With markup on, a path holding "&" or "<" would be mangled or rejected.
    auto markupQuery = serverSupportsBodyMarkup();
    const bool markup = co_await markupQuery;

    QDBusMessage call = notificationsCall(QStringLiteral("Notify"));
    call << QStringLiteral("Velmora") << uint(0) << QString() << request.title
         << (markup ? request.body.toHtmlEscaped() : request.body)
         << QStringList{QLatin1String(defaultAction), QStringLiteral("Show in File Manager")}
         << QVariant::fromValue(QVariantMap()) << int(-1);
    QDBusPendingCall pending = this->call(call);
    const QDBusMessage reply = co_await pending;
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        throw NotificationError(reply.errorMessage());
    posted_.insert(reply.arguments().constFirst().toUInt(), request.userInfo);
}

void LinuxNotificationCenter::onActionInvoked(uint id, const QString& actionKey) {
    // Every client hears every click; only ours are answered.
    if (actionKey != QLatin1String(defaultAction))
        return;
    const auto found = posted_.constFind(id);
    if (found == posted_.constEnd() || !delegate_)
        return;
    delegate_->didReceiveResponse(found.value());
}

void LinuxNotificationCenter::onNotificationClosed(uint id, uint) { posted_.remove(id); }

QString LinuxNotificationCenter::statusDescription(AuthorizationStatus status) const {
    switch (status) {
    case AuthorizationStatus::authorized:
        return QStringLiteral("Your desktop's notification service will show saved transcripts.");
    case AuthorizationStatus::denied:
        return QStringLiteral("No notification service is running on this desktop, so saved "
                              "transcripts are not announced.");
    case AuthorizationStatus::notDetermined:
        return QStringLiteral("Not checked yet.");
    case AuthorizationStatus::provisional:
    case AuthorizationStatus::ephemeral:
        return QStringLiteral("Not used on this desktop.");
    }
    Q_UNREACHABLE();
}

} // namespace velmora
