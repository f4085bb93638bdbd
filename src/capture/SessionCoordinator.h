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
// them to the writer in batches: every `flushInterval` non-empty snapshots (all but the latest
// completed utterance, which a late correction may still reach) and once at the end, the rest.
// Ends on its own after `graceFrameLimit` consecutive empty snapshots or when the
// reader's stream ends. Runs on the main thread: its state changes only between awaits, so
// stop() interleaves with the session only where the session waits for the reader or the
// writer. Serves one capture. Keep it in a shared_ptr (or alive until start() returns).
class SessionCoordinator final : public std::enable_shared_from_this<SessionCoordinator> {
public:
    // Called on the main thread with every non-empty snapshot as read, before the next one.
    using EntriesCallback = std::function<void(const CaptionSnapshot&)>;

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

    // Runs the whole session and returns when it is over, after the last entries have been
    // handed to the writer. Throws VelmoraError::sessionAlreadyRunning, or the reader's error.
    QCoro::Task<SessionStopReason> start();
    // Ends a running session from outside; start() then returns sourceEnded. Returns once the
    // session has ended; does nothing when no session runs.
    QCoro::Task<> stop();
    bool isRunning() const { return isRunning_; }

    // Entries that the writer refused at the final flush, when no later flush can retry them.
    qint64 unsavedEntryCount() const { return unsavedEntryCount_; }

private:
    struct SessionEnd;

    QCoro::Task<> flush(bool isFinal);
    QCoro::Task<> finishSession();
    void resetState();
    void resumeStopWaiters();

    std::shared_ptr<CaptionReader> captionReader_;
    std::shared_ptr<TranscriptWriting> transcriptWriter_;
    const Clock& clock_;
    EntriesCallback onEntries_;

    bool isRunning_ = false;
    bool sessionActive_ = false; // start() is running and will perform the final flush
    std::vector<std::coroutine_handle<>> stopWaiters_;

    qint64 emptyFrameCount_ = 0;
    QList<CaptionSnapshot> pendingPolls_;
    qint64 dataPollsSinceFlush_ = 0;
    SnapshotDiffer differ_;
    UtteranceAssembler assembler_;
    QList<CaptionEntry> completedEntries_;
    qint64 unsavedEntryCount_ = 0;
    std::optional<CaptionSnapshot> continuing_;
    CaptionSnapshot lastSnapshot_;
};

} // namespace velmora
