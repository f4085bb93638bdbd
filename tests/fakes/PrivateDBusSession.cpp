#include "PrivateDBusSession.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>

namespace velmora {

namespace {

bool writeFile(const QString& path, const QByteArray& content) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
}

} // namespace

PrivateDBusSession::PrivateDBusSession(const QList<std::pair<QString, QString>>& serviceFiles) {
    const QString services = dir_.filePath(QStringLiteral("services"));
    QDir().mkpath(services);
    for (const auto& [name, exec] : serviceFiles) {
        writeFile(services + QLatin1Char('/') + name + QStringLiteral(".service"),
                  QStringLiteral("[D-BUS Service]\nName=%1\nExec=%2\n").arg(name, exec).toUtf8());
    }
    const QString config = dir_.filePath(QStringLiteral("session.conf"));
    writeFile(config, QStringLiteral(R"(<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:dir=%1</listen>
  <servicedir>%2</servicedir>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
)").arg(dir_.path(), services).toUtf8());

    daemon_.setProgram(QStringLiteral("dbus-daemon"));
    daemon_.setArguments({QStringLiteral("--config-file=") + config, QStringLiteral("--nofork"),
                          QStringLiteral("--print-address")});
    daemon_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    daemon_.start();
    if (!daemon_.waitForStarted(10000)) {
        error_ = daemon_.errorString();
        return;
    }
    // The address line comes once the bus listens.
    QDeadlineTimer deadline(10000);
    while (!daemon_.canReadLine() && !deadline.hasExpired() && daemon_.state() == QProcess::Running)
        daemon_.waitForReadyRead(static_cast<int>(deadline.remainingTime()));
    address_ = QString::fromUtf8(daemon_.readLine()).trimmed();
    if (address_.isEmpty())
        error_ = QStringLiteral("dbus-daemon printed no address");
}

PrivateDBusSession::~PrivateDBusSession() {
    if (daemon_.state() == QProcess::NotRunning)
        return;
    daemon_.terminate();
    if (!daemon_.waitForFinished(5000))
        daemon_.kill();
    daemon_.waitForFinished(5000);
}

} // namespace velmora
