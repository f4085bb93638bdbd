#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QVariantMap>

#include <functional>

namespace velmora {

// One Velmora per desktop session. The first instance owns our name on the session bus and
// answers org.freedesktop.Application.Activate by showing its main window; a later instance
// only asks it to.
class SingleInstance final : public QObject {
    Q_OBJECT
public:
    static constexpr auto serviceName = "org.velmora.Velmora";
    static constexpr auto objectPath = "/org/velmora/Velmora";

    enum class Role {
        first,     // this process owns the name
        secondary, // another process does and was asked to show its window
        alone,     // no session bus: nothing to coordinate with
    };

    explicit SingleInstance(QDBusConnection bus = QDBusConnection::sessionBus(), QObject* parent = nullptr);
    ~SingleInstance() override;

    // Claims the name, or asks its owner to show itself. `onActivate` runs on every later
    // instance's request while this one owns the name.
    Role claim(std::function<void()> onActivate);

private:
    QDBusConnection bus_;
    std::function<void()> onActivate_;
    bool owns_ = false;

    friend class SingleInstanceAdaptor;
};

// The bus object of the first instance (org.freedesktop.Application).
class SingleInstanceAdaptor final : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Application")
public:
    explicit SingleInstanceAdaptor(SingleInstance& owner) : QObject(&owner), owner_(owner) {}

public slots:
    void Activate(const QVariantMap& platformData);
    void Open(const QStringList& uris, const QVariantMap& platformData);
    void ActivateAction(const QString& name, const QVariantList& parameter, const QVariantMap& platformData);

private:
    SingleInstance& owner_;
};

} // namespace velmora
