#pragma once

#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusMessage>
#include <QObject>
#include <QStringList>
#include <QVariantMap>

namespace velmora {

// A notification server for tests: remembers what it was asked to show and sends the
// signals a real server sends when the user clicks or closes a notification. A hung server
// never answers a call.
class FakeNotificationServer final : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    struct Notification {
        uint id;
        QString appName;
        QString summary;
        QString body;
        QStringList actions;
    };

    explicit FakeNotificationServer(QDBusConnection bus) : bus_(std::move(bus)) {}

    bool serve() {
        return bus_.registerObject(QStringLiteral("/org/freedesktop/Notifications"), this,
                                   QDBusConnection::ExportAllSlots) &&
               bus_.registerService(QStringLiteral("org.freedesktop.Notifications"));
    }

    void click(uint id, const QString& action = QStringLiteral("default")) {
        emitSignal(QStringLiteral("ActionInvoked"), {id, action});
    }
    void closed(uint id) { emitSignal(QStringLiteral("NotificationClosed"), {id, uint(2)}); }

    QList<Notification> notifications;
    QStringList capabilities{QStringLiteral("actions"), QStringLiteral("body")};
    bool hung = false;

public slots:
    uint Notify(const QString& appName, uint, const QString&, const QString& summary,
                const QString& body, const QStringList& actions, const QVariantMap&, int) {
        if (hung) {
            setDelayedReply(true);
            return 0;
        }
        const uint id = 100 + uint(notifications.size());
        notifications.append({id, appName, summary, body, actions});
        return id;
    }
    QStringList GetCapabilities() {
        if (hung)
            setDelayedReply(true);
        return capabilities;
    }

private:
    void emitSignal(const QString& name, const QVariantList& arguments) {
        QDBusMessage message = QDBusMessage::createSignal(QStringLiteral("/org/freedesktop/Notifications"),
                                                          QStringLiteral("org.freedesktop.Notifications"), name);
        message.setArguments(arguments);
        bus_.send(message);
    }

    QDBusConnection bus_;
};

} // namespace velmora
