#include "summary/SummaryFile.h"

#include "capture/FileError.h"
#include "summary/Logging.h"
#include "summary/MeetingSummary.h"
#include "summary/SummaryMarkdownParser.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

namespace velmora::SummaryFile {

QString pathFor(const QString& transcriptPath) {
    const QFileInfo transcript(transcriptPath);
    return transcript.dir().filePath(transcript.completeBaseName() + QStringLiteral("-summary.md"));
}

void write(const QString& path, const QString& markdown) {
    QSaveFile file(path);
    const QByteArray bytes = markdown.toUtf8();
    const bool written = file.open(QIODevice::WriteOnly) &&
                         file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner) &&
                         file.write(bytes) == bytes.size() && file.commit();
    if (!written) {
        const QString reason = file.errorString();
        file.cancelWriting();
        throw FileError(QStringLiteral("Cannot write %1: %2")
                            .arg(QDir::toNativeSeparators(path), reason));
    }
}

QString writeSummary(const QString& transcriptPath, const PartialSummary& summary,
                     const QStringList& attendees) {
    MeetingSummary meeting;
    meeting.topics = summary.topics;
    meeting.actionItems = summary.actionItems;
    meeting.decisions = summary.decisions;
    meeting.attendees = attendees;
    const QString path = pathFor(transcriptPath);
    write(path, SummaryMarkdownParser::render(meeting));
    qCInfo(lcSummary, "Summary saved to: %s", qUtf8Printable(QFileInfo(path).fileName()));
    return path;
}

} // namespace velmora::SummaryFile
