#include "app/TranscriptRecovery.h"

#include "app/Logging.h"
#include "capture/FileError.h"
#include "capture/MarkdownFormatter.h"
#include "capture/PlainTextFormatter.h"
#include "capture/PrivateFiles.h"
#include "capture/TranscriptLock.h"
#include "capture/TranscriptWriter.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include <memory>

namespace velmora {

namespace {

const QString markdownExtension = QStringLiteral("md");
const QString plainTextExtension = QStringLiteral("txt");

std::shared_ptr<const TranscriptFormatter> formatterFor(const QString& extension) {
    if (extension == markdownExtension)
        return std::make_shared<MarkdownFormatter>();
    return std::make_shared<PlainTextFormatter>();
}

// The header: a Markdown transcript's up to its first rule, a plain one's first line.
QStringView headerOf(const QString& content, const QString& extension) {
    const qsizetype end = extension == markdownExtension ? content.indexOf(u"\n---\n")
                                                         : content.indexOf(u'\n');
    return QStringView(content).left(end < 0 ? content.size() : end);
}

QDateTime localTime(const QString& date, const QString& time) {
    return QDateTime(QDate::fromString(date, u"yyyy-MM-dd"), QTime::fromString(time, u"HH:mm:ss"));
}

// Utterances carry only a time of day: a meeting that ran past midnight goes on the next day.
// A time a little before the start (a caption stamped as the capture began) is the start.
QDateTime onOrAfter(const QDateTime& start, const QTime& time) {
    QDateTime moment(start.date(), time);
    if (moment < start.addSecs(-3600))
        moment = moment.addDays(1);
    return std::max(moment, start);
}

} // namespace

bool TranscriptRecovery::isUnfinished(const QString& content, const QString& extension) {
    const QStringView header = headerOf(content, extension);
    if (extension == markdownExtension) {
        return content.startsWith(u"# Meeting Transcript\n") &&
               (header.contains(u"**End:** --:--:--") || header.contains(u"**Duration:** --:--:--"));
    }
    if (extension == plainTextExtension) {
        return content.startsWith(u"Date: ") &&
               (header.contains(u"End: --:--:--") || header.contains(u"Duration: --:--:--"));
    }
    return false;
}

std::optional<TranscriptRecovery::Header> TranscriptRecovery::readHeader(const QString& content,
                                                                         const QString& extension) {
    if (!isUnfinished(content, extension))
        return std::nullopt;
    const bool markdown = extension == markdownExtension;
    static const QRegularExpression markdownStart(QStringLiteral(
        "^# Meeting Transcript\\n\\n\\*\\*Date:\\*\\* (\\d{4}-\\d\\d-\\d\\d)\\n\\*\\*Start:\\*\\* (\\d\\d:\\d\\d:\\d\\d)\\n"));
    static const QRegularExpression plainStart(
        QStringLiteral("^Date: (\\d{4}-\\d\\d-\\d\\d) \\| Start: (\\d\\d:\\d\\d:\\d\\d) \\|"));
    const QRegularExpressionMatch start = (markdown ? markdownStart : plainStart).match(content);
    if (!start.hasMatch())
        return std::nullopt;
    Header header{localTime(start.captured(1), start.captured(2)), std::nullopt};
    if (!header.start.isValid())
        return std::nullopt;

    // Markdown stamps each speaker turn's heading, plain text every line.
    static const QRegularExpression markdownTime(QStringLiteral("^\\*\\*\\[(\\d\\d:\\d\\d:\\d\\d)\\] .*:\\*\\*$"),
                                                 QRegularExpression::MultilineOption);
    static const QRegularExpression plainTime(QStringLiteral("^\\[(\\d\\d:\\d\\d:\\d\\d)\\] "),
                                              QRegularExpression::MultilineOption);
    const qsizetype bodyStart = headerOf(content, extension).size();
    QString last;
    auto matches = (markdown ? markdownTime : plainTime).globalMatch(content, bodyStart);
    while (matches.hasNext())
        last = matches.next().captured(1);
    const QTime lastTime = QTime::fromString(last, u"HH:mm:ss");
    if (lastTime.isValid())
        header.lastUtterance = onOrAfter(header.start, lastTime);
    return header;
}

std::optional<CaptionSource> TranscriptRecovery::sourceFromFileName(const QString& fileName) {
    // "yyyy-MM-dd_HH-mm-ss_<title>" and perhaps "-2" … when the name was taken.
    static const QRegularExpression pattern(QStringLiteral(
        "^\\d{4}-\\d\\d-\\d\\d_\\d\\d-\\d\\d-\\d\\d_(.+?)(?:-\\d+)?$"));
    const QRegularExpressionMatch match = pattern.match(QFileInfo(fileName).completeBaseName());
    if (!match.hasMatch())
        return std::nullopt;
    // Teams on Linux is the web client; the Zoom title stands for the desktop client, which
    // also wrote it first.
    for (CaptionSource source : {CaptionSource::browserMeet, CaptionSource::browserTeams,
                                 CaptionSource::zoom}) {
        if (TranscriptWriter::sanitizeTitle(CaptionSources::meetingTitle(source)) == match.captured(1))
            return source;
    }
    return std::nullopt;
}

QList<TranscriptRecovery::Recovered> TranscriptRecovery::recoverFolder(const QString& folder) {
    QList<Recovered> recovered;
    const QFileInfoList files = QDir(folder).entryInfoList(
        {QStringLiteral("*.") + markdownExtension, QStringLiteral("*.") + plainTextExtension},
        QDir::Files | QDir::Readable, QDir::Name);
    for (const QFileInfo& file : files) {
        if (auto result = recoverFile(file.absoluteFilePath()))
            recovered.append(*result);
    }
    return recovered;
}

std::optional<TranscriptRecovery::Recovered> TranscriptRecovery::recoverFile(const QString& path) {
    const QFileInfo info(path);
    const QString extension = info.suffix();
    const QString name = info.fileName();
    {
        // Only the start is needed to tell: finished transcripts are not locked or read whole.
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly) || !isUnfinished(QString::fromUtf8(file.read(4096)), extension))
            return std::nullopt;
    }
    std::optional<TranscriptLock> lock = TranscriptLock::tryLock(path);
    if (!lock) {
        qCInfo(lcRecovery, "%s is being written by a running capture", qUtf8Printable(name));
        return std::nullopt;
    }
    // Read through the lock: the file at the path may have been finalised and replaced
    // between the look above and the lock.
    const std::optional<QByteArray> bytes = lock->readAll();
    if (!bytes || !lock->isFileAt(path))
        return std::nullopt;
    const QString content = QString::fromUtf8(*bytes);
    const std::optional<Header> header = readHeader(content, extension);
    if (!header) {
        if (isUnfinished(content, extension))
            qCWarning(lcRecovery, "%s is unfinished but its header cannot be read; left as it is",
                      qUtf8Printable(name));
        return std::nullopt;
    }

    Recovered result;
    result.path = info.absoluteFilePath();
    result.start = header->start;
    result.end = header->lastUtterance.value_or(std::max(header->start, info.lastModified().toLocalTime()));
    result.duration = double(result.start.msecsTo(result.end)) / 1000.0;
    result.source = sourceFromFileName(name);
    const QString finalized = formatterFor(extension)->formatFinalization(content, result.end, result.duration);
    try {
        PrivateFiles::write(path, finalized.toUtf8());
    } catch (const FileError& error) {
        qCWarning(lcRecovery, "Cannot finish %s: %s", qUtf8Printable(name), error.what());
        return std::nullopt;
    }
    qCInfo(lcRecovery, "Recovered %s (duration: %s)", qUtf8Printable(name),
           qUtf8Printable(TranscriptFormatter::formatDuration(result.duration)));
    return result;
}

} // namespace velmora
