#include "platform/linux/LinuxFileRevealer.h"

#include "app/Logging.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QFileInfo>
#include <QProcess>
#include <QUrl>

namespace velmora {

LinuxFileRevealer::LinuxFileRevealer(const QDBusConnection& bus, FolderOpener openFolder,
                                     QObject* parent)
    : QObject(parent), bus_(bus), openFolder_(std::move(openFolder)) {}

void LinuxFileRevealer::revealFile(const QString& filePath) {
    const QString folder = QFileInfo(filePath).absolutePath();
    if (!bus_.isConnected()) {
        openFolder_(folder);
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("/org/freedesktop/FileManager1"),
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("ShowItems"));
    call << QStringList{QUrl::fromLocalFile(filePath).toString(QUrl::FullyEncoded)} << QString();
    auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(call, callTimeoutMilliseconds), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, folder, filePath](QDBusPendingCallWatcher* finished) {
                finished->deleteLater();
                if (!finished->isError())
                    return;
                qCInfo(lcApp, "No file manager could show %s (%s), opening its folder",
                       qUtf8Printable(filePath), qUtf8Printable(finished->error().message()));
                openFolder_(folder);
            });
}

void LinuxFileRevealer::openWithDesktop(const QString& folder) {
    if (!QProcess::startDetached(QStringLiteral("xdg-open"), {folder}))
        qCWarning(lcApp, "Could not open folder %s", qUtf8Printable(folder));
}

} // namespace velmora
