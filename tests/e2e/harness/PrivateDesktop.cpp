#include "harness/PrivateDesktop.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QElapsedTimer>
#include <QFile>
#include <QThread>

#include <stdexcept>

namespace velmora::e2e {

namespace {
const QString busLauncher = QStringLiteral("/usr/libexec/at-spi-bus-launcher");
}

PrivateDesktop::PrivateDesktop() {
    if (!runtime_.isValid() || !home_.isValid())
        throw std::runtime_error("cannot create temporary directories");
    QFile::setPermissions(runtime_.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    environment_ = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "DBUS_SESSION_BUS_ADDRESS", "AT_SPI_BUS_ADDRESS"})
        environment_.remove(QString::fromLatin1(name));
    environment_.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime_.path());
    environment_.insert(QStringLiteral("HOME"), home_.path());
    environment_.insert(QStringLiteral("XDG_CONFIG_HOME"), home_.path() + QStringLiteral("/.config"));
    environment_.insert(QStringLiteral("XDG_CACHE_HOME"), home_.path() + QStringLiteral("/.cache"));
    // The accessibility switch must not reach the user's real settings.
    environment_.insert(QStringLiteral("GSETTINGS_BACKEND"), QStringLiteral("memory"));

    // -displayfd picks a free display and tells us which: no clash with other X servers.
    xserver_.start(QStringLiteral("Xvfb"),
                   {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                    QStringLiteral("0"), QStringLiteral("1280x1024x24"), QStringLiteral("-nolisten"),
                    QStringLiteral("tcp")},
                   environment_);
    environment_.insert(QStringLiteral("DISPLAY"), QStringLiteral(":") + xserver_.readLine(15000));

    session_.start(QStringLiteral("dbus-daemon"),
                   {QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--print-address=1")},
                   environment_);
    environment_.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), session_.readLine(10000));

    for (const QString& name : {QStringLiteral("DISPLAY"), QStringLiteral("DBUS_SESSION_BUS_ADDRESS"),
                                QStringLiteral("XDG_RUNTIME_DIR"), QStringLiteral("HOME"),
                                QStringLiteral("XDG_CONFIG_HOME"), QStringLiteral("XDG_CACHE_HOME"),
                                QStringLiteral("GSETTINGS_BACKEND")})
        qputenv(name.toLatin1().constData(), environment_.value(name).toUtf8());
    qunsetenv("AT_SPI_BUS_ADDRESS");

    if (!QFile::exists(busLauncher))
        throw std::runtime_error("at-spi-bus-launcher is missing; scripts/setup installs at-spi2-core");
    startAccessibilityBus();
}

void PrivateDesktop::killAccessibilityBus() { accessibilityBus_.kill(); }

void PrivateDesktop::startAccessibilityBus() {
    accessibilityBus_.start(busLauncher, {QStringLiteral("--launch-immediately")}, environment_);
    waitForAccessibilityBus();
}

PrivateDesktop::~PrivateDesktop() {
    accessibilityBus_.stop();
    session_.stop();
    xserver_.stop();
}

void PrivateDesktop::waitForAccessibilityBus() {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < 15000) {
        // Asking the name before it is owned would make D-Bus start a second launcher.
        if (!QDBusConnection::sessionBus().interface()->isServiceRegistered(QStringLiteral("org.a11y.Bus"))) {
            QThread::msleep(20);
            continue;
        }
        const QDBusMessage reply = QDBusConnection::sessionBus().call(QDBusMessage::createMethodCall(
            QStringLiteral("org.a11y.Bus"), QStringLiteral("/org/a11y/bus"), QStringLiteral("org.a11y.Bus"),
            QStringLiteral("GetAddress")));
        if (reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty() &&
            !reply.arguments().constFirst().toString().isEmpty())
            return;
        QThread::msleep(50);
    }
    throw std::runtime_error("the accessibility bus did not come up");
}

} // namespace velmora::e2e
