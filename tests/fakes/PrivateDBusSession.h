#pragma once

#include <QProcess>
#include <QString>
#include <QTemporaryDir>

namespace velmora {

// A session bus of the test's own: a dbus-daemon on a private socket with no services except
// those listed in `serviceFiles` (name → Exec line), stopped with the object.
class PrivateDBusSession {
public:
    explicit PrivateDBusSession(const QList<std::pair<QString, QString>>& serviceFiles = {});
    ~PrivateDBusSession();
    PrivateDBusSession(const PrivateDBusSession&) = delete;
    PrivateDBusSession& operator=(const PrivateDBusSession&) = delete;

    bool isRunning() const { return !address_.isEmpty(); }
    QString address() const { return address_; }
    QString errorString() const { return error_; }

private:
    QTemporaryDir dir_;
    QProcess daemon_;
    QString address_;
    QString error_;
};

} // namespace velmora
