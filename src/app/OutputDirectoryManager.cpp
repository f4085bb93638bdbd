#include "app/OutputDirectoryManager.h"

#include "app/Logging.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace velmora {

OutputDirectoryManager::OutputDirectoryManager(QSettings& defaults, QString defaultDirectory)
    : defaults_(defaults), defaultDirectory_(std::move(defaultDirectory)) {}

QString OutputDirectoryManager::standardDefaultDirectory() {
    QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (documents.isEmpty())
        documents = QDir::homePath() + QStringLiteral("/Documents");
    return QDir::cleanPath(documents + QStringLiteral("/Velmora"));
}

bool OutputDirectoryManager::isWritable(const QString& directory) {
    // A relative path would depend on the working directory the desktop happened to give us.
    if (!QDir::isAbsolutePath(directory))
        return false;
    QString current = QDir::cleanPath(directory);
    while (current != QStringLiteral("/")) {
        const QFileInfo info(current);
        // A dangling link or a plain file cannot become the folder.
        if (info.exists() || info.isSymLink())
            return info.isDir() && info.isWritable();
        current = info.path();
    }
    return false;
}

QString OutputDirectoryManager::outputDirectory() const {
    const std::optional<QString> custom = customDirectory();
    if (!custom)
        return defaultDirectory_;
    if (isWritable(*custom))
        return QDir::cleanPath(*custom);
    qCWarning(lcOutputDir, "Custom output directory not writable: %s, falling back to default",
              qUtf8Printable(*custom));
    return defaultDirectory_;
}

std::optional<QString> OutputDirectoryManager::customDirectory() const {
    const QVariant stored = defaults_.value(QLatin1String(userDefaultsKey));
    if (!stored.isValid())
        return std::nullopt;
    return stored.toString();
}

void OutputDirectoryManager::setCustomDirectory(const std::optional<QString>& path) {
    if (path) {
        defaults_.setValue(QLatin1String(userDefaultsKey), *path);
        qCInfo(lcOutputDir, "Output directory set to: %s", qUtf8Printable(*path));
    } else {
        defaults_.remove(QLatin1String(userDefaultsKey));
        qCInfo(lcOutputDir, "Output directory reset to default");
    }
}

} // namespace velmora
