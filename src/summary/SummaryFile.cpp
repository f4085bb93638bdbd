#include "summary/SummaryFile.h"

#include "capture/FileError.h"
#include "capture/PrivateFiles.h"
#include "summary/Logging.h"
#include "summary/MeetingSummary.h"
#include "summary/SummaryMarkdownParser.h"

#include <QDir>
#include <QFileInfo>

namespace velmora::SummaryFile {

QString pathFor(const QString& transcriptPath) {
    const QFileInfo transcript(transcriptPath);
    return transcript.dir().filePath(transcript.completeBaseName() + QStringLiteral("-summary.md"));
}

void write(const QString& path, const QString& markdown) {
    try {
        PrivateFiles::write(path, markdown.toUtf8());
    } catch (const FileError& error) {
        throw FileError(QStringLiteral("Cannot write %1").arg(error.message()));
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
