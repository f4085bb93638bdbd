#include "capture/SnapshotReplay.h"

#include "capture/FileError.h"
#include "capture/PrivateFiles.h"
#include "capture/ReplayCaptionReader.h"
#include "capture/ReplayClock.h"
#include "capture/SessionCoordinator.h"
#include "capture/SnapshotFile.h"
#include "capture/TranscriptFormatter.h"
#include "capture/TranscriptWriter.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryFile>

namespace velmora {

void SnapshotReplay::validate() {
    SnapshotFile file(options_.snapshotsPath);
    file.open();
    std::optional<QDateTime> first;
    while (std::optional<RecordedSnapshot> snapshot = file.next()) {
        if (!first)
            first = snapshot->time;
    }
    if (!first) {
        throw FileError(QStringLiteral("%1 holds no snapshots")
                            .arg(QDir::toNativeSeparators(options_.snapshotsPath)));
    }

    // A folder the user names is made for them, as the application makes its default one.
    PrivateFiles::createDirectory(options_.outputDirectory);
    const QString directory = QDir::toNativeSeparators(options_.outputDirectory);
    QTemporaryFile probe(QDir(options_.outputDirectory).filePath(QStringLiteral(".velmora-XXXXXX.tmp")));
    if (!probe.open()) {
        throw FileError(QStringLiteral("the output directory %1 cannot be written: %2")
                            .arg(directory, probe.errorString()));
    }
    firstTime_ = first;
}

QCoro::Task<SnapshotReplay::Result> SnapshotReplay::run() {
    if (!firstTime_)
        validate();
    ReplayClock clock(*firstTime_);
    auto writer = std::make_shared<TranscriptWriter>(
        options_.outputDirectory, clock, options_.title,
        QList<std::shared_ptr<const TranscriptFormatter>>{
            TranscriptFormats::formatter(options_.format)});
    auto reader = std::make_shared<ReplayCaptionReader>(options_.snapshotsPath, clock);
    auto coordinator = std::make_shared<SessionCoordinator>(reader, writer, clock);

    // As the application sets up a capture: the file exists from the start.
    auto setStart = writer->setStartTimeIfNeeded(*firstTime_);
    co_await setStart;
    auto creating = writer->createMissingFiles();
    co_await creating;

    Result result;
    auto session = coordinator->start();
    result.reason = co_await session;
    auto finalizing = writer->finalize();
    co_await finalizing;
    auto path = writer->transcriptPath();
    result.transcriptPath = (co_await path).value_or(QString());
    result.snapshotsRead = reader->snapshotsRead();

    if (const std::optional<QString> error = reader->error()) {
        throw FileError(QStringLiteral("%1 (the input changed while it was replayed); the "
                                       "transcript so far is in %2")
                            .arg(*error, QDir::toNativeSeparators(result.transcriptPath)));
    }
    if (const qint64 unsaved = coordinator->unsavedEntryCount()) {
        throw FileError(QStringLiteral("%1 entries could not be written to %2")
                            .arg(unsaved)
                            .arg(QDir::toNativeSeparators(result.transcriptPath)));
    }
    co_return result;
}

} // namespace velmora
