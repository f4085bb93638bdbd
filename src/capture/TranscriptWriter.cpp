#include "capture/TranscriptWriter.h"

#include "capture/FileError.h"
#include "capture/Graphemes.h"
#include "capture/Logging.h"
#include "capture/PrivateFiles.h"
#include "capture/TranscriptLock.h"

#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QSaveFile>
#include <QTemporaryFile>

namespace velmora {

namespace {

// Names tried after the first one is taken: "-2" … before the extension.
constexpr int maxNameAttempts = 1000;

struct CreatedFile {
    QString path;
    TranscriptLock lock;
};

// Writes `content` to a new file named `name` in `directory`, or, unless `exactName`, to the
// first free variant of the name, and returns its path with the file locked. The file appears
// complete or not at all, and an existing file is never replaced: the content goes to a hidden
// temporary file first, which is then renamed without replacing (Qt renames with
// RENAME_NOREPLACE or link(2) on Linux). The lock is taken before the rename, so no other
// process ever sees the new transcript unlocked.
CreatedFile createUniqueFile(const QString& directory, const QString& name, const QString& extension,
                             const QByteArray& content, bool exactName = false) {
    const QDir dir(directory);
    QTemporaryFile temporary(dir.filePath(QStringLiteral(".velmora-XXXXXX.tmp")));
    if (!temporary.open()) {
        throw FileError(QStringLiteral("Cannot create a file in %1: %2")
                            .arg(QDir::toNativeSeparators(directory), temporary.errorString()));
    }
    if (!PrivateFiles::writeAll(temporary, content)) {
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
    std::optional<TranscriptLock> lock = TranscriptLock::tryLock(temporaryPath);
    if (!lock) {
        throw FileError(QStringLiteral("Cannot lock %1").arg(QDir::toNativeSeparators(temporaryPath)));
    }

    const QString suffix = QLatin1Char('.') + extension;
    const QString stem = name.endsWith(suffix) ? name.chopped(suffix.size()) : name;
    const int attempts = exactName ? 1 : maxNameAttempts;
    for (int attempt = 1; attempt <= attempts; ++attempt) {
        const QString candidate =
            attempt == 1 ? name : stem + QLatin1Char('-') + QString::number(attempt) + suffix;
        const QString path = dir.filePath(candidate);
        QFile file(temporaryPath);
        if (file.rename(path)) {
            temporary.setAutoRemove(false);
            return {path, std::move(*lock)};
        }
        if (!QFileInfo::exists(path)) {
            throw FileError(QStringLiteral("Cannot create %1: %2")
                                .arg(QDir::toNativeSeparators(path), file.errorString()));
        }
    }
    if (exactName) {
        throw FileError(QStringLiteral("Cannot create %1: another file has taken its name")
                            .arg(QDir::toNativeSeparators(dir.filePath(name))));
    }
    throw FileError(QStringLiteral("Cannot create %1: every variant of the name is taken")
                        .arg(QDir::toNativeSeparators(dir.filePath(name))));
}

} // namespace

TranscriptWriter::TranscriptWriter(QString outputDirectory, const Clock& clock,
                                   std::optional<QString> meetingTitle,
                                   std::shared_ptr<const TranscriptFormatter> formatter)
    : outputDirectory_(std::move(outputDirectory)), clock_(clock),
      meetingTitle_(std::move(meetingTitle)), file_{std::move(formatter), {}, {}, {}},
      queue_(QStringLiteral("transcript-writer")) {}

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
        if (!file_.filePath)
            createFile(now);
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
        if (!startTime_)
            return std::nullopt;
        if (file_.filePath)
            return QFileInfo(*file_.filePath).fileName();
        return fileName(*startTime_, meetingTitle_, file_.formatter->fileExtension());
    });
    co_return co_await job;
}

QCoro::Task<std::optional<QString>> TranscriptWriter::salvage(QList<CaptionEntry> unsaved,
                                                              QStringList directories) {
    const QDateTime now = clock_.now();
    auto job = queue_.run([this, unsaved = std::move(unsaved), directories = std::move(directories),
                           now]() -> std::optional<QString> {
        return salvageOnQueue(unsaved, directories, now);
    });
    co_return co_await job;
}

QCoro::Task<std::optional<QString>> TranscriptWriter::transcriptPath() {
    auto job = queue_.run([this]() -> std::optional<QString> { return file_.filePath; });
    co_return co_await job;
}

void TranscriptWriter::createFile(const QDateTime& now) {
    if (!startTime_)
        startTime_ = now;
    const QString extension = file_.formatter->fileExtension();
    const QString name = fileName(*startTime_, meetingTitle_, extension);
    const QByteArray header = file_.formatter->formatHeader(*startTime_, *startTime_).toUtf8();
    // The path is recorded only once the file exists, so a failed creation is tried again
    // at the next batch instead of leaving the writer pointing at a file that never was.
    try {
        CreatedFile created = createUniqueFile(outputDirectory_, name, extension, header);
        file_.filePath = created.path;
        lock_ = std::move(created.lock);
    } catch (const FileError& error) {
        qCWarning(lcWriter, "Failed to create file: %s", error.what());
        throw;
    }
    qCInfo(lcWriter, "Created: %s", qUtf8Printable(QFileInfo(*file_.filePath).fileName()));
}

void TranscriptWriter::appendOnQueue(const QList<CaptionEntry>& entries, const QDateTime& now) {
    if (entries.isEmpty())
        return;
    if (!file_.filePath)
        createFile(now);
    restoreIfRemoved();
    std::optional<QString> lastSpeaker = file_.lastSpeaker;
    QString text;
    for (const CaptionEntry& entry : entries) {
        const bool isNewSpeaker = !lastSpeaker || *lastSpeaker != entry.speaker;
        text += file_.formatter->formatEntry(entry, isNewSpeaker);
        if (isNewSpeaker)
            lastSpeaker = entry.speaker;
    }
    writeBatch(text.toUtf8());
    // Only a batch that reached the file moves the speaker on: the retried batch must start
    // with its heading again.
    file_.lastSpeaker = lastSpeaker;
    qCInfo(lcWriter, "Appended %lld entries", qint64(entries.size()));
}

void TranscriptWriter::restoreIfRemoved() {
    const QString& path = *file_.filePath;
    if (!lock_ || lock_->isFileAt(path))
        return;
    // Removed with its folder, or renamed away: what the file held is still readable through
    // the lock. Writing on through the old handle would put every later caption into a file
    // nobody can reach, so the file is put back at its path first.
    const auto fail = [&](const QString& problem) {
        const QString message = QStringLiteral("The transcript %1 was removed and cannot be written again: %2")
                                    .arg(QDir::toNativeSeparators(path), problem);
        qCWarning(lcWriter, "Write error: %s", qUtf8Printable(message));
        throw FileError(message);
    };
    const std::optional<QByteArray> content = lock_->readAll();
    if (!content)
        fail(QStringLiteral("its content cannot be read"));
    const QFileInfo info(path);
    try {
        CreatedFile restored = createUniqueFile(info.path(), info.fileName(), info.suffix(), *content,
                                                true);
        lock_ = std::move(restored.lock);
    } catch (const FileError& error) {
        fail(error.message());
    }
    file_.fileHandle.reset();
    qCInfo(lcWriter, "Restored %s after it was removed", qUtf8Printable(info.fileName()));
}

void TranscriptWriter::writeBatch(const QByteArray& bytes) {
    const QString& path = *file_.filePath;
    if (!file_.fileHandle) {
        auto handle = std::make_unique<QFile>(path);
        if (!handle->open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::ExistingOnly)) {
            const QString message = QStringLiteral("Cannot open %1: %2")
                                        .arg(QDir::toNativeSeparators(path), handle->errorString());
            qCWarning(lcWriter, "Write error: %s", qUtf8Printable(message));
            throw FileError(message);
        }
        file_.fileHandle = std::move(handle);
    }
    QFile& handle = *file_.fileHandle;
    const qint64 sizeBefore = handle.size();
    if (PrivateFiles::writeAll(handle, bytes))
        return;
    const QString message = QStringLiteral("Cannot write %1: %2")
                                .arg(QDir::toNativeSeparators(path), handle.errorString());
    // The coordinator offers the whole batch again; a part of it left in the file would then
    // appear twice. The handle, whose buffer still holds the rest, is dropped first (it
    // cannot truncate while it fails to flush) and reopened at the next batch.
    file_.fileHandle.reset();
    QFile::resize(path, sizeBefore);
    qCWarning(lcWriter, "Write error: %s", qUtf8Printable(message));
    throw FileError(message);
}

std::optional<QString> TranscriptWriter::salvageOnQueue(const QList<CaptionEntry>& unsaved,
                                                      const QStringList& directories,
                                                      const QDateTime& now) {
    if (!file_.filePath && unsaved.isEmpty())
        return std::nullopt;
    const QDateTime start = startTime_.value_or(now);
    QString content;
    if (file_.filePath) {
        std::optional<QByteArray> bytes = lock_ ? lock_->readAll() : std::nullopt;
        if (!bytes) {
            QFile file(*file_.filePath);
            if (file.open(QIODevice::ReadOnly))
                bytes = file.readAll();
        }
        content = bytes ? QString::fromUtf8(*bytes) : QString();
    }
    if (content.isEmpty())
        content = file_.formatter->formatHeader(start, start);
    std::optional<QString> lastSpeaker = file_.lastSpeaker;
    for (const CaptionEntry& entry : unsaved) {
        const bool isNewSpeaker = !lastSpeaker || *lastSpeaker != entry.speaker;
        content += file_.formatter->formatEntry(entry, isNewSpeaker);
        lastSpeaker = entry.speaker;
    }
    const QByteArray bytes =
        file_.formatter->formatFinalization(content, now, start.msecsTo(now) / 1000.0).toUtf8();
    const QString extension = file_.formatter->fileExtension();
    const QString stem = file_.filePath
                             ? QFileInfo(*file_.filePath).completeBaseName()
                             : fileName(start, meetingTitle_, extension).chopped(extension.size() + 1);
    const QString name = stem + QStringLiteral(".recovered.") + extension;
    for (const QString& directory : directories) {
        try {
            const QString path = createUniqueFile(directory, name, extension, bytes).path;
            qCWarning(lcWriter, "Transcript kept in %s (%lld entries the transcript file refused)",
                      qUtf8Printable(QDir::toNativeSeparators(path)), qint64(unsaved.size()));
            return path;
        } catch (const FileError& error) {
            qCWarning(lcWriter, "Cannot keep the transcript in %s: %s",
                      qUtf8Printable(QDir::toNativeSeparators(directory)), error.what());
        }
    }
    qCCritical(lcWriter, "The transcript could not be kept anywhere");
    return std::nullopt;
}

void TranscriptWriter::finalizeOnQueue(const QDateTime& now) {
    if (!startTime_)
        return;
    const double duration = startTime_->msecsTo(now) / 1000.0;
    if (file_.filePath) {
        restoreIfRemoved();
        file_.fileHandle.reset();
        const QString path = *file_.filePath;
        const auto fail = [&](const QString& problem) {
            const QString message =
                QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path), problem);
            qCWarning(lcWriter, "Finalize error for %s: %s",
                      qUtf8Printable(QFileInfo(path).fileName()), qUtf8Printable(message));
            throw FileError(message);
        };
        QFile input(path);
        if (!input.open(QIODevice::ReadOnly))
            fail(input.errorString());
        const QString content = QString::fromUtf8(input.readAll());
        if (input.error() != QFileDevice::NoError)
            fail(input.errorString());
        input.close();
        const QString finalized = file_.formatter->formatFinalization(content, now, duration);
        if (finalized != content) {
            QSaveFile output(path);
            const QByteArray bytes = finalized.toUtf8();
            if (!PrivateFiles::open(output) || !PrivateFiles::writeAll(output, bytes) ||
                !output.commit())
                fail(output.errorString());
        }
        lock_.reset(); // the file is complete: recovery has nothing to do with it
    }
    qCInfo(lcWriter, "Finalized (duration: %s)",
           qUtf8Printable(TranscriptFormatter::formatDuration(duration)));
}

} // namespace velmora
