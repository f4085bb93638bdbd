#pragma once

#include "capture/CaptionEntry.h"

#include <QCoroTask>
#include <QDateTime>
#include <QString>
#include <QStringList>

#include <optional>

namespace velmora {

// The transcript file of one meeting, as the session coordinator and the application
// controller use them. Every operation runs on the writer's own queue and is awaited; file
// operations throw FileError.
class TranscriptWriting {
public:
    virtual ~TranscriptWriting() = default;

    // Sets the meeting's start time unless it is already set (a resumed capture keeps it).
    virtual QCoro::Task<> setStartTimeIfNeeded(QDateTime date) = 0;
    // Creates the file with its header unless it exists already.
    virtual QCoro::Task<> createMissingFiles() = 0;
    // Appends a batch of completed entries to the file; all or nothing, so a refused batch
    // can be offered again without repeating any of it.
    virtual QCoro::Task<> append(QList<CaptionEntry> entries) = 0;
    // Closes the file and fills in the header's end time and duration.
    virtual QCoro::Task<> finalize() = 0;
    // The name the file has or will have; none before the start time is set.
    virtual QCoro::Task<std::optional<QString>> expectedFilename() = 0;
    // The file's full path once it exists (the transcript of the meeting history).
    virtual QCoro::Task<std::optional<QString>> transcriptPath() = 0;
    // Last resort when the transcript cannot be completed where it belongs: writes the whole
    // transcript as far as it is known (its file's content, also when the file was removed,
    // followed by `unsaved`, entries it refused) to a new file in the first of the existing
    // `directories` that takes it, and returns that file's path. None when there was nothing to keep or no
    // directory took it. A writer that keeps nothing on disk has nothing to salvage.
    virtual QCoro::Task<std::optional<QString>> salvage(QList<CaptionEntry> unsaved,
                                                        QStringList directories) {
        Q_UNUSED(unsaved);
        Q_UNUSED(directories);
        co_return std::nullopt;
    }
};

} // namespace velmora
