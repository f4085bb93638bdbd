#pragma once

#include "capture/SessionStopReason.h"
#include "capture/TranscriptFormat.h"

#include <QCoroTask>
#include <QDateTime>
#include <QString>

#include <optional>

namespace velmora {

// Runs the real session coordinator and transcript writer over recorded caption snapshots
// (see SnapshotFile), as a capture would have: the snapshots are the reader's polls, the clock
// shows the time of the snapshot read last, the meeting starts at the first snapshot's time.
// Same input, same transcript bytes.
class SnapshotReplay {
public:
    struct Options {
        QString snapshotsPath;
        QString outputDirectory;
        TranscriptFormat format = TranscriptFormat::markdown;
        std::optional<QString> title;
    };
    struct Result {
        SessionStopReason reason = SessionStopReason::sourceEnded;
        QString transcriptPath;
        qint64 snapshotsRead = 0;
    };

    explicit SnapshotReplay(Options options) : options_(std::move(options)) {}

    // Reads the whole input and checks the output directory before anything is written.
    // Throws FileError naming the line and the problem.
    void validate();
    // After validate(). Throws FileError when the transcript cannot be written completely
    // (what could be written is kept and finalised).
    QCoro::Task<Result> run();

private:
    Options options_;
    std::optional<QDateTime> firstTime_;
};

} // namespace velmora
