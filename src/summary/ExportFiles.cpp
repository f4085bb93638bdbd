#include "summary/ExportFiles.h"

#include "capture/FileError.h"
#include "capture/PrivateFiles.h"
#include "summary/SummaryMarkdownParser.h"

#include <QFile>
#include <QFileInfo>

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

    try {
        PrivateFiles::write(destination, bytes);
    } catch (const FileError& error) {
        throw FileError(QStringLiteral("Cannot write %1").arg(error.message()));
    }
}

} // namespace velmora::ExportFiles
