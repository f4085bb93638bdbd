#pragma once

#include "capture/CaptionReader.h"
#include "capture/Clock.h"
#include "capture/SessionStopReason.h"
#include "capture/SnapshotDiffer.h"
#include "capture/TranscriptWriting.h"
#include "capture/UtteranceAssembler.h"

#include <coroutine>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace velmora {

// Turns a reader's caption snapshots into completed, speaker-attributed utterances and hands
// them to the writer in batches: as soon as the oldest utterance not yet written completed
// `flushInterval` polls ago, all of them but the latest, which a late correction may still
// reach (unless it is that old itself); and once at the end, the rest. So a process killed at
// any moment loses no utterance that completed more than `flushInterval` polls before.
// Each snapshot is merged as it arrives, so the transcript as it will be saved can be shown
// live; only the hand-over to the writer is batched. A refused batch is offered again, with
// what completed since, `flushInterval` polls later.
// Ends on its own after `graceFrameLimit` consecutive empty snapshots or when the
// reader's stream ends. Runs on the main thread: its state changes only between awaits, so
// stop() interleaves with the session only where the session waits for the reader or the
// writer. Serves one capture. Keep it in a shared_ptr (or alive until start() returns).
class SessionCoordinator final : public std::enable_shared_from_this<SessionCoordinator> {
public:
    // Called on the main thread with every non-empty snapshot as read, before the next one.
    using EntriesCallback = std::function<void(const CaptionSnapshot&)>;
    // Called on the main thread after every non-empty snapshot with the session's transcript
    // as it will be saved: its first `written` utterances are with the writer and never change
    // again; they are followed by `pending`, the completed utterances not yet written and the
    // open one, which later snapshots may still correct or grow.
    using TranscriptCallback =
        std::function<void(qsizetype written, const QList<CaptionEntry>& pending)>;

    // Called on the main thread when a flush fails with the writer's error, and with none when
    // a flush succeeds again after failing: the refused entries are kept and offered again.
    using WriteProblemCallback = std::function<void(const std::optional<QString>& error)>;

    static constexpr qint64 graceFrameLimit = 120;
    static constexpr qint64 flushInterval = 10;

    SessionCoordinator(std::shared_ptr<CaptionReader> reader,
                       std::shared_ptr<TranscriptWriting> writer, const Clock& clock,
                       EntriesCallback onEntries = {});

    // Continues an interrupted meeting whose transcript already holds the lines of
    // `lastSnapshot`: lines still shown unchanged when the session starts are not new.
    void continueAfter(CaptionSnapshot lastSnapshot) { continuing_ = std::move(lastSnapshot); }
    // The last non-empty snapshot this coordinator read (kept after the session ended).
    const CaptionSnapshot& lastSnapshot() const { return lastSnapshot_; }
    void setOnTranscript(TranscriptCallback callback) { onTranscript_ = std::move(callback); }
    void setOnWriteProblem(WriteProblemCallback callback) { onWriteProblem_ = std::move(callback); }

    // Runs the whole session and returns when it is over, after the last entries have been
    // handed to the writer. Throws VelmoraError::sessionAlreadyRunning, or the error that kept
    // the session from starting (the reader's, or the writer's when it refuses the start time).
    QCoro::Task<SessionStopReason> start();
    // Ends a running session from outside; start() then returns sourceEnded. Returns once the
    // session has ended; does nothing when no session runs.
    QCoro::Task<> stop();
    bool isRunning() const { return isRunning_; }

    // Entries that the writer refused at the final flush, when no later flush can retry them;
    // whoever ends the meeting must keep them.
    qint64 unsavedEntryCount() const { return unsavedEntries_.size(); }
    QList<CaptionEntry> takeUnsavedEntries() { return std::exchange(unsavedEntries_, {}); }

private:
    struct SessionEnd;

    void absorb(const CaptionSnapshot& snapshot);
    bool isFlushDue() const;
    QCoro::Task<> flush(bool isFinal);
    QCoro::Task<> finishSession();
    void resetState();
    void resumeStopWaiters();

    std::shared_ptr<CaptionReader> captionReader_;
    std::shared_ptr<TranscriptWriting> transcriptWriter_;
    const Clock& clock_;
    EntriesCallback onEntries_;
    TranscriptCallback onTranscript_;
    WriteProblemCallback onWriteProblem_;
    bool writeFailing_ = false;

    bool isRunning_ = false;
    bool sessionActive_ = false; // start() is running and will perform the final flush
    std::vector<std::coroutine_handle<>> stopWaiters_;

    qint64 emptyFrameCount_ = 0;
    qint64 pollNumber_ = 0;
    qint64 nextRetryPoll_ = 0; // after a refused batch, no flush before this poll
    SnapshotDiffer differ_;
    UtteranceAssembler assembler_;
    QList<CaptionEntry> completedEntries_;
    QList<qint64> completedAtPoll_; // for each of completedEntries_
    qsizetype writtenCount_ = 0; // utterances of this session the writer accepted
    QList<CaptionEntry> unsavedEntries_;
    std::optional<CaptionSnapshot> continuing_;
    CaptionSnapshot lastSnapshot_;
};

} // namespace velmora
