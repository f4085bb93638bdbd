#include "capture/PrivateFiles.h"

#include "capture/FileError.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <sys/stat.h>

namespace velmora::PrivateFiles {

namespace {

QString native(const QString& path) { return QDir::toNativeSeparators(path); }

} // namespace

void createDirectory(const QString& path) {
    const QString target = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    // The missing folders, outermost first; the walk stops at the first that exists.
    QStringList missing;
    for (QString current = target;;) {
        const QFileInfo info(current);
        if (info.isDir())
            break;
        if (info.exists() || info.isSymLink())
            throw FileError(QStringLiteral("%1 exists and is not a folder").arg(native(current)));
        missing.prepend(current);
        const QString parent = info.path();
        if (parent == current)
            break;
        current = parent;
    }
    for (const QString& folder : std::as_const(missing)) {
        if (::mkdir(QFile::encodeName(folder).constData(), S_IRWXU) == 0)
            continue;
        const int error = errno;
        // Someone else made it in the meantime: as good as ours.
        if (error == EEXIST && QFileInfo(folder).isDir())
            continue;
        throw FileError(QStringLiteral("cannot create the folder %1: %2")
                            .arg(native(folder), QString::fromLocal8Bit(std::strerror(error))));
    }
}

bool open(QSaveFile& file) {
    const QFileInfo target(file.fileName());
    const bool existed = target.exists();
    if (!file.open(QIODevice::WriteOnly))
        return false;
    // QSaveFile copies the mode of the file it replaces; a new file would get the umask's.
    // (An unfinished QSaveFile discards its temporary file.)
    return existed || file.setPermissions(fileMode);
}

bool writeAll(QFileDevice& file, const QByteArray& bytes) {
    // A short write leaves Qt without a reason; trying the rest once more either writes it or
    // fails with the reason. The same holds for a flush that wrote only part of the buffer.
    qint64 written = file.write(bytes);
    if (written >= 0 && written < bytes.size()) {
        const qint64 more = file.write(bytes.constData() + written, bytes.size() - written);
        written += std::max<qint64>(more, 0);
    }
    return written == bytes.size() && (file.flush() || file.flush());
}

void write(const QString& path, const QByteArray& bytes) {
    QSaveFile file(path);
    if (!open(file) || !writeAll(file, bytes) || !file.commit())
        throw FileError(QStringLiteral("%1: %2").arg(native(path), file.errorString()));
}

bool restrict(QFileDevice& file) { return file.setPermissions(fileMode); }

} // namespace velmora::PrivateFiles
