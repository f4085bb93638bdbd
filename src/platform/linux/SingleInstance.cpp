#include "platform/linux/SingleInstance.h"

#include "platform/linux/Logging.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>

namespace velmora {

SingleInstance::SingleInstance(QDBusConnection bus, QObject* parent) : QObject(parent), bus_(std::move(bus)) {}

SingleInstance::~SingleInstance() {
    if (owns_) {
        bus_.unregisterObject(QString::fromLatin1(objectPath));
        bus_.unregisterService(QString::fromLatin1(serviceName));
    }
}

SingleInstance::Role SingleInstance::claim(std::function<void()> onActivate) {
    if (!bus_.isConnected())
        return Role::alone;
    onActivate_ = std::move(onActivate);
    const QString service = QString::fromLatin1(serviceName);
    const QString path = QString::fromLatin1(objectPath);
    // The object goes first, so a second instance that finds the name can call it at once.
    bus_.registerObject(path, new SingleInstanceAdaptor(*this), QDBusConnection::ExportAllSlots);
    if (bus_.registerService(service)) {
        owns_ = true;
        return Role::first;
    }
    bus_.unregisterObject(path);
    auto call = QDBusMessage::createMethodCall(service, path, QStringLiteral("org.freedesktop.Application"),
                                              QStringLiteral("Activate"));
    call << QVariantMap();
    // The answer is awaited with events flowing: the owner may be this very process (tests).
    const QDBusMessage reply = bus_.call(call, QDBus::BlockWithGui, 5000);
    if (reply.type() == QDBusMessage::ErrorMessage) {
        // The owner is stuck or just ended; a second window-less Velmora would only compete
        // for the same captions, so this one still leaves.
        qCWarning(lcDesktop, "The running Velmora did not answer: %s", qUtf8Printable(reply.errorMessage()));
    }
    return Role::secondary;
}

void SingleInstanceAdaptor::Activate(const QVariantMap&) {
    if (owner_.onActivate_)
        owner_.onActivate_();
}

void SingleInstanceAdaptor::Open(const QStringList&, const QVariantMap& platformData) { Activate(platformData); }

void SingleInstanceAdaptor::ActivateAction(const QString&, const QVariantList&, const QVariantMap& platformData) {
    Activate(platformData);
}

} // namespace velmora
