#include "summary/ExportFiles.h"

#include "capture/FileError.h"
#include "summary/SummaryMarkdownParser.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace velmora::ExportFiles {

MeetingSummary readSummary(const QString& path) {
    QFile file(path);
    if (QFileInfo(path).isDir())
        throw FileError(QStringLiteral("Cannot read the summary %1: it is a folder").arg(path));
    if (!file.open(QIODevice::ReadOnly))
        throw FileError(QStringLiteral("Cannot read the summary %1: %2").arg(path, file.errorString()));
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw FileError(QStringLiteral("Cannot read the summary %1: %2").arg(path, file.errorString()));
    return SummaryMarkdownParser::parse(QString::fromUtf8(bytes));
}

void writeDocument(const QString& destination, const QByteArray& bytes, const QString& summaryPath) {
    const QFileInfo target(destination);
    if (target.exists() && target.canonicalFilePath() == QFileInfo(summaryPath).canonicalFilePath())
        throw FileError(QStringLiteral("Cannot write %1: it is the summary being exported").arg(destination));

    QSaveFile file(destination);
    const bool created = !target.exists();
    auto fail = [&] {
        return FileError(QStringLiteral("Cannot write %1: %2").arg(destination, file.errorString()));
    };
    if (!file.open(QIODevice::WriteOnly))
        throw fail();
    // A summary is private: a new document is not readable by others whatever the umask says.
    if (created && !file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner))
        throw fail();
    if (file.write(bytes) != bytes.size() || !file.commit())
        throw fail();
}

} // namespace velmora::ExportFiles
