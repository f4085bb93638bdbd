#include "platform/linux/A11yStatus.h"

#include "platform/linux/Logging.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>

namespace velmora::A11yStatus {

namespace {

QDBusMessage propertyCall(const QString& method) {
    return QDBusMessage::createMethodCall(QStringLiteral("org.a11y.Bus"), QStringLiteral("/org/a11y/bus"),
                                          QStringLiteral("org.freedesktop.DBus.Properties"), method);
}

} // namespace

bool isEnabled() {
    QDBusMessage call = propertyCall(QStringLiteral("Get"));
    call << QStringLiteral("org.a11y.Status") << QStringLiteral("IsEnabled");
    const QDBusMessage reply = QDBusConnection::sessionBus().call(call);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
        qCInfo(lcAtspi, "Accessibility status unavailable: %s", qUtf8Printable(reply.errorMessage()));
        return false;
    }
    return reply.arguments().constFirst().value<QDBusVariant>().variant().toBool();
}

bool setEnabled(bool enabled) {
    QDBusMessage call = propertyCall(QStringLiteral("Set"));
    call << QStringLiteral("org.a11y.Status") << QStringLiteral("IsEnabled")
         << QVariant::fromValue(QDBusVariant(enabled));
    const QDBusMessage reply = QDBusConnection::sessionBus().call(call);
    if (reply.type() != QDBusMessage::ReplyMessage) {
        qCInfo(lcAtspi, "Could not switch accessibility: %s", qUtf8Printable(reply.errorMessage()));
        return false;
    }
    return true;
}

} // namespace velmora::A11yStatus
