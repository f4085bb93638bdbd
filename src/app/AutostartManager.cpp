#include "app/AutostartManager.h"

#include "capture/FileError.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QSettings>
#include <QStandardPaths>

#include <algorithm>

namespace velmora {

namespace {

// Exec lines quote arguments that hold spaces or reserved characters; inside quotes, the
// backslash, quote, backtick and dollar are escaped.
QString execArgument(const QString& argument) {
    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    if (std::none_of(argument.begin(), argument.end(), [](QChar c) { return reserved.contains(c); }))
        return argument;
    QString quoted;
    for (const QChar c : argument) {
        if (c == u'"' || c == u'`' || c == u'$' || c == u'\\')
            quoted += u'\\';
        quoted += c;
    }
    // The desktop-entry parser unescapes backslashes once more before splitting.
    quoted.replace(u'\\', QStringLiteral("\\\\"));
    return u'"' + quoted + u'"';
}

} // namespace

AutostartManager::AutostartManager(QString autostartFolder, QString executable)
    : folder_(std::move(autostartFolder)), executable_(std::move(executable)) {}

AutostartManager AutostartManager::forCurrentUser() {
    return AutostartManager(
        QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QStringLiteral("/autostart"),
        QCoreApplication::applicationFilePath());
}

QString AutostartManager::entryPath() const {
    return QDir(folder_).filePath(QString::fromLatin1(applicationID) + QStringLiteral(".desktop"));
}

bool AutostartManager::isEnabled() const {
    if (!QFile::exists(entryPath()))
        return false;
    // The user or another tool may have hidden the entry rather than removed it.
    QSettings entry(entryPath(), QSettings::IniFormat);
    entry.beginGroup(QStringLiteral("Desktop Entry"));
    return entry.value(QStringLiteral("Hidden")).toString() != QLatin1String("true");
}

QString AutostartManager::entryText() const {
    return QStringLiteral("[Desktop Entry]\n"
                          "Type=Application\n"
                          "Name=Velmora\n"
                          "Comment=Records the live captions of online meetings\n"
                          "Exec=%1 --autostart\n"
                          "Icon=%2\n"
                          "Terminal=false\n"
                          "X-GNOME-Autostart-enabled=true\n")
        .arg(execArgument(executable_), QString::fromLatin1(applicationID));
}

void AutostartManager::setEnabled(bool enabled) {
    if (!enabled) {
        QFile entry(entryPath());
        if (entry.exists() && !entry.remove())
            throw FileError(QStringLiteral("Could not remove %1: %2").arg(entryPath(), entry.errorString()));
        return;
    }
    if (!QDir().mkpath(folder_))
        throw FileError(QStringLiteral("Could not create the folder %1").arg(folder_));
    QSaveFile file(entryPath());
    if (!file.open(QIODevice::WriteOnly) || file.write(entryText().toUtf8()) < 0 || !file.commit())
        throw FileError(QStringLiteral("Could not write %1: %2").arg(entryPath(), file.errorString()));
}

} // namespace velmora
