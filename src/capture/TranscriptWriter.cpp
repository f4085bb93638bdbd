#include "capture/TranscriptWriter.h"

#include "capture/FileError.h"
#include "capture/Graphemes.h"
#include "capture/Logging.h"
#include "capture/PrivateFiles.h"

#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QSaveFile>
#include <QTemporaryFile>

namespace velmora {

namespace {

// Names tried after the first one is taken: "-2" … before the extension.
constexpr int maxNameAttempts = 1000;

// Writes `content` to a new file named `name` in `directory`, or to the first free variant of
// the name, and returns its path. The file appears complete or not at all, and an existing
// file is never replaced: the content goes to a hidden temporary file first, which is then
// renamed without replacing (Qt renames with RENAME_NOREPLACE or link(2) on Linux).
QString createUniqueFile(const QString& directory, const QString& name, const QString& extension,
                         const QByteArray& content) {
    const QDir dir(directory);
    QTemporaryFile temporary(dir.filePath(QStringLiteral(".velmora-XXXXXX.tmp")));
    if (!temporary.open()) {
        throw FileError(QStringLiteral("Cannot create a file in %1: %2")
                            .arg(QDir::toNativeSeparators(directory), temporary.errorString()));
    }
    if (temporary.write(content) != content.size() || !temporary.flush()) {
        throw FileError(QStringLiteral("Cannot write %1: %2")
                            .arg(QDir::toNativeSeparators(temporary.fileName()),
                                 temporary.errorString()));
    }
    if (!PrivateFiles::restrict(temporary)) {
        throw FileError(QStringLiteral("Cannot make %1 private: %2")
                            .arg(QDir::toNativeSeparators(temporary.fileName()),
                                 temporary.errorString()));
    }
    const QString temporaryPath = temporary.fileName(); // also gives an unnamed file its name
    temporary.close();

    const QString suffix = QLatin1Char('.') + extension;
    const QString stem = name.endsWith(suffix) ? name.chopped(suffix.size()) : name;
    for (int attempt = 1; attempt <= maxNameAttempts; ++attempt) {
        const QString candidate =
            attempt == 1 ? name : stem + QLatin1Char('-') + QString::number(attempt) + suffix;
        const QString path = dir.filePath(candidate);
        QFile file(temporaryPath);
        if (file.rename(path)) {
            temporary.setAutoRemove(false);
            return path;
        }
        if (!QFileInfo::exists(path)) {
            throw FileError(QStringLiteral("Cannot create %1: %2")
                                .arg(QDir::toNativeSeparators(path), file.errorString()));
        }
    }
    throw FileError(QStringLiteral("Cannot create %1: every variant of the name is taken")
                        .arg(QDir::toNativeSeparators(dir.filePath(name))));
}

} // namespace

TranscriptWriter::TranscriptWriter(QString outputDirectory, const Clock& clock,
                                   std::optional<QString> meetingTitle,
                                   QList<std::shared_ptr<const TranscriptFormatter>> formatters)
    : outputDirectory_(std::move(outputDirectory)), clock_(clock),
      meetingTitle_(std::move(meetingTitle)), queue_(QStringLiteral("transcript-writer")) {
    for (auto& formatter : formatters)
        files_.push_back(FormatterFile{std::move(formatter), {}, {}, {}});
}

TranscriptWriter::~TranscriptWriter() = default;

QString TranscriptWriter::sanitizeTitle(const QString& title) {
    QString sanitized;
    bool inRun = false;
    // Whole user-perceived characters: a letter keeps its combining accents and vowel signs.
    const std::vector<qint32> starts = Graphemes::segment(title);
    for (size_t i = 0; i + 1 < starts.size(); ++i) {
        const QStringView character = QStringView(title).mid(starts[i], starts[i + 1] - starts[i]);
        if (QChar::isLetterOrNumber(character.toUcs4().value(0))) {
            sanitized += character;
            inRun = false;
        } else if (!inRun) {
            sanitized += QLatin1Char('-');
            inRun = true;
        }
    }
    if (sanitized.endsWith(QLatin1Char('-')))
        sanitized.chop(1);
    return sanitized;
}

QString TranscriptWriter::fileName(const QDateTime& start,
                                   const std::optional<QString>& meetingTitle,
                                   const QString& extension) {
    QString name = QLocale::c().toString(start.toLocalTime(), u"yyyy-MM-dd_HH-mm-ss");
    if (meetingTitle && !meetingTitle->isEmpty())
        name += QLatin1Char('_') + sanitizeTitle(*meetingTitle);
    else
        name += QStringLiteral("_transcript");
    return name + QLatin1Char('.') + extension;
}

QCoro::Task<> TranscriptWriter::setStartTimeIfNeeded(QDateTime date) {
    auto job = queue_.run([this, date] {
        if (!startTime_)
            startTime_ = date;
    });
    co_await job;
}

QCoro::Task<> TranscriptWriter::createMissingFiles() {
    const QDateTime now = clock_.now();
    auto job = queue_.run([this, now] {
        for (FormatterFile& file : files_) {
            if (!file.filePath)
                createFile(file, now);
        }
    });
    co_await job;
}

QCoro::Task<> TranscriptWriter::append(QList<CaptionEntry> entries) {
    const QDateTime now = clock_.now();
    auto job = queue_.run([this, entries = std::move(entries), now] { appendOnQueue(entries, now); });
    co_await job;
}

QCoro::Task<> TranscriptWriter::finalize() {
    const QDateTime now = clock_.now();
    auto job = queue_.run([this, now] { finalizeOnQueue(now); });
    co_await job;
}

QCoro::Task<std::optional<QString>> TranscriptWriter::expectedFilename() {
    auto job = queue_.run([this]() -> std::optional<QString> {
        if (!startTime_ || files_.empty())
            return std::nullopt;
        const FormatterFile& first = files_.front();
        if (first.filePath)
            return QFileInfo(*first.filePath).fileName();
        return fileName(*startTime_, meetingTitle_, first.formatter->fileExtension());
    });
    co_return co_await job;
}

QCoro::Task<std::optional<QString>> TranscriptWriter::transcriptPath() {
    auto job = queue_.run([this]() -> std::optional<QString> {
        if (files_.empty())
            return std::nullopt;
        return files_.front().filePath;
    });
    co_return co_await job;
}

void TranscriptWriter::createFile(FormatterFile& file, const QDateTime& now) {
    if (!startTime_)
        startTime_ = now;
    const QString extension = file.formatter->fileExtension();
    const QString name = fileName(*startTime_, meetingTitle_, extension);
    const QByteArray header = file.formatter->formatHeader(*startTime_, *startTime_).toUtf8();
    // The path is recorded only once the file exists, so a failed creation is tried again
    // at the next batch instead of leaving the writer pointing at a file that never was.
    try {
        file.filePath = createUniqueFile(outputDirectory_, name, extension, header);
    } catch (const FileError& error) {
        qCWarning(lcWriter, "Failed to create file: %s", error.what());
        throw;
    }
    qCInfo(lcWriter, "Created: %s", qUtf8Printable(QFileInfo(*file.filePath).fileName()));
}

void TranscriptWriter::appendOnQueue(const QList<CaptionEntry>& entries, const QDateTime& now) {
    if (entries.isEmpty())
        return;
    for (FormatterFile& file : files_) {
        if (!file.filePath)
            createFile(file, now);
        std::optional<QString> lastSpeaker = file.lastSpeaker;
        QString text;
        for (const CaptionEntry& entry : entries) {
            const bool isNewSpeaker = !lastSpeaker || *lastSpeaker != entry.speaker;
            text += file.formatter->formatEntry(entry, isNewSpeaker);
            if (isNewSpeaker)
                lastSpeaker = entry.speaker;
        }
        writeBatch(file, text.toUtf8());
        // Only a batch that reached the file moves the speaker on: the retried batch must
        // start with its heading again.
        file.lastSpeaker = lastSpeaker;
    }
    qCInfo(lcWriter, "Appended %lld entries to %lld file(s)", qint64(entries.size()),
           qint64(files_.size()));
}

void TranscriptWriter::writeBatch(FormatterFile& file, const QByteArray& bytes) {
    if (!file.fileHandle) {
        auto handle = std::make_unique<QFile>(*file.filePath);
        if (!handle->open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::ExistingOnly)) {
            const QString message = QStringLiteral("Cannot open %1: %2")
                                        .arg(QDir::toNativeSeparators(*file.filePath),
                                             handle->errorString());
            qCWarning(lcWriter, "Write error: %s", qUtf8Printable(message));
            throw FileError(message);
        }
        file.fileHandle = std::move(handle);
    }
    QFile& handle = *file.fileHandle;
    const qint64 sizeBefore = handle.size();
    if (handle.write(bytes) == bytes.size() && handle.flush())
        return;
    const QString message = QStringLiteral("Cannot write %1: %2")
                                .arg(QDir::toNativeSeparators(*file.filePath),
                                     handle.errorString());
    // The coordinator offers the whole batch again; a part of it left in the file would then
    // appear twice. The handle, whose buffer still holds the rest, is dropped first (it
    // cannot truncate while it fails to flush) and reopened at the next batch.
    file.fileHandle.reset();
    QFile::resize(*file.filePath, sizeBefore);
    qCWarning(lcWriter, "Write error: %s", qUtf8Printable(message));
    throw FileError(message);
}

void TranscriptWriter::finalizeOnQueue(const QDateTime& now) {
    if (!startTime_)
        return;
    closeHandles();
    const double duration = startTime_->msecsTo(now) / 1000.0;
    for (FormatterFile& file : files_) {
        if (!file.filePath)
            continue;
        const QString path = *file.filePath;
        const QString name = QFileInfo(path).fileName();
        const auto fail = [&](const QString& problem) {
            const QString message =
                QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path), problem);
            qCWarning(lcWriter, "Finalize error for %s: %s", qUtf8Printable(name),
                      qUtf8Printable(message));
            throw FileError(message);
        };
        QFile input(path);
        if (!input.open(QIODevice::ReadOnly))
            fail(input.errorString());
        const QString content = QString::fromUtf8(input.readAll());
        if (input.error() != QFileDevice::NoError)
            fail(input.errorString());
        input.close();
        const QString finalized = file.formatter->formatFinalization(content, now, duration);
        if (finalized == content)
            continue;
        QSaveFile output(path);
        const QByteArray bytes = finalized.toUtf8();
        if (!PrivateFiles::open(output) || output.write(bytes) != bytes.size() || !output.commit())
            fail(output.errorString());
    }
    qCInfo(lcWriter, "Finalized (duration: %s)",
           qUtf8Printable(TranscriptFormatter::formatDuration(duration)));
}

void TranscriptWriter::closeHandles() {
    for (FormatterFile& file : files_)
        file.fileHandle.reset();
}

} // namespace velmora
