#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QDBusVirtualObject>
#include <QStringList>

namespace velmora::e2e {

// The part of a desktop's tray host that applications talk to: it accepts the tray items that
// register and says a host is there, so Qt puts its tray icon on the bus. (A virtual object: test
// sources are not run through moc.)
class StatusNotifierWatcher final : public QDBusVirtualObject {
public:
    static constexpr auto interface = "org.kde.StatusNotifierWatcher";

    explicit StatusNotifierWatcher(QDBusConnection bus) : bus_(std::move(bus)) {}
    ~StatusNotifierWatcher() override {
        bus_.unregisterService(QString::fromLatin1(interface));
        bus_.unregisterObject(QStringLiteral("/StatusNotifierWatcher"));
    }

    bool serve() {
        return bus_.registerVirtualObject(QStringLiteral("/StatusNotifierWatcher"), this) &&
               bus_.registerService(QString::fromLatin1(interface));
    }
    QStringList items() const { return items_; }
    // The bus name of the first item that registered.
    QString itemOwner() const { return owners_.value(0); }

    QString introspect(const QString&) const override {
        return QStringLiteral(
            "<interface name=\"org.kde.StatusNotifierWatcher\">"
            "<method name=\"RegisterStatusNotifierItem\"><arg name=\"service\" type=\"s\" direction=\"in\"/></method>"
            "<method name=\"RegisterStatusNotifierHost\"><arg name=\"service\" type=\"s\" direction=\"in\"/></method>"
            "<property name=\"IsStatusNotifierHostRegistered\" type=\"b\" access=\"read\"/>"
            "<property name=\"ProtocolVersion\" type=\"i\" access=\"read\"/>"
            "<property name=\"RegisteredStatusNotifierItems\" type=\"as\" access=\"read\"/>"
            "</interface>");
    }
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override {
        const QString member = message.member();
        if (member == QLatin1String("RegisterStatusNotifierItem")) {
            items_.append(message.arguments().value(0).toString());
            owners_.append(message.service());
            return connection.send(message.createReply());
        }
        if (member == QLatin1String("RegisterStatusNotifierHost"))
            return connection.send(message.createReply());
        const QVariantMap properties{{QStringLiteral("IsStatusNotifierHostRegistered"), true},
                                     {QStringLiteral("ProtocolVersion"), 0},
                                     {QStringLiteral("RegisteredStatusNotifierItems"), items_}};
        if (member == QLatin1String("Get")) {
            const QVariant value = properties.value(message.arguments().value(1).toString());
            return connection.send(message.createReply(QVariant::fromValue(QDBusVariant(value))));
        }
        if (member == QLatin1String("GetAll"))
            return connection.send(message.createReply(properties));
        return false;
    }

private:
    QDBusConnection bus_;
    QStringList items_;
    QStringList owners_;
};

} // namespace velmora::e2e
