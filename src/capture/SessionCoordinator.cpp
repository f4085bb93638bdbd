#include "capture/SessionCoordinator.h"

#include "capture/Logging.h"
#include "capture/VelmoraError.h"

namespace velmora {

namespace {
constexpr qint64 emptyPollLogEvery = 10;
} // namespace

// Suspends a stop() until start() has performed the final flush.
struct SessionCoordinator::SessionEnd {
    SessionCoordinator& coordinator;
    bool await_ready() const noexcept { return !coordinator.sessionActive_; }
    void await_suspend(std::coroutine_handle<> handle) {
        coordinator.stopWaiters_.push_back(handle);
    }
    void await_resume() const noexcept {}
};

SessionCoordinator::SessionCoordinator(std::shared_ptr<CaptionReader> reader,
                                       std::shared_ptr<TranscriptWriting> writer,
                                       const Clock& clock, EntriesCallback onEntries)
    : captionReader_(std::move(reader)), transcriptWriter_(std::move(writer)), clock_(clock),
      onEntries_(std::move(onEntries)) {}

QCoro::Task<SessionStopReason> SessionCoordinator::start() {
    if (isRunning_ || sessionActive_)
        throw VelmoraError::sessionAlreadyRunning();
    // The controller may drop its reference when stop() returns, which happens inside this
    // coroutine; the session keeps its coordinator until it is over.
    const std::shared_ptr<SessionCoordinator> keepAlive = weak_from_this().lock();
    isRunning_ = true;
    sessionActive_ = true;
    resetState();
    differ_.setLinesCanScroll(captionReader_->linesCanScroll());
    differ_.setReusesLinePlaces(captionReader_->reusesLinePlaces());

    try {
        auto setStart = transcriptWriter_->setStartTimeIfNeeded(clock_.now());
        co_await setStart;
        auto starting = captionReader_->startReading();
        co_await starting;
    } catch (...) {
        // isRunning stays true: a coordinator that failed to start is not used again. A stop()
        // waiting for the session is released, as the session will not run.
        sessionActive_ = false;
        resumeStopWaiters();
        throw;
    }
    qCInfo(lcSession, "Caption reader started, waiting for captions...");

    const std::shared_ptr<CaptionStream> stream = captionReader_->captions();
    SessionStopReason reason = SessionStopReason::sourceEnded;
    while (true) {
        auto next = stream->next();
        std::optional<CaptionSnapshot> snapshot = co_await next;
        if (!snapshot)
            break;
        ++pollNumber_;
        if (snapshot->isEmpty()) {
            ++emptyFrameCount_;
            assembler_.passEmptyPoll();
            if (emptyFrameCount_ % emptyPollLogEvery == 0)
                qCInfo(lcSession, "Empty polls: %lld/%lld", emptyFrameCount_, graceFrameLimit);
            if (emptyFrameCount_ >= graceFrameLimit) {
                qCInfo(lcSession, "Grace limit reached (%lld empty polls), auto-stopping",
                       graceFrameLimit);
                reason = SessionStopReason::graceExpired;
                break;
            }
        } else {
            emptyFrameCount_ = 0;
            if (onEntries_)
                onEntries_(*snapshot);
            absorb(*snapshot);
            lastSnapshot_ = *snapshot;
        }
        // Also while the captions are away: what completed before must not wait for the grace.
        if (isFlushDue()) {
            auto flushing = flush(false);
            co_await flushing;
        }
        if (!snapshot->isEmpty())
            qCInfo(lcSession, "Poll %lld: captured %lld entries", pollNumber_, qint64(snapshot->size()));
    }

    if (isRunning_) {
        if (reason == SessionStopReason::sourceEnded)
            qCInfo(lcSession, "Caption stream ended (source gone), stopping immediately");
        isRunning_ = false;
        qCInfo(lcSession, "Stopping caption session...");
        captionReader_->stopReading();
    }
    // The final flush happens here, after any flush the loop was in, so two flushes never
    // hand the same entries over.
    auto finishing = finishSession();
    co_await finishing;
    sessionActive_ = false;
    resumeStopWaiters();
    co_return reason;
}

QCoro::Task<> SessionCoordinator::stop() {
    if (isRunning_) {
        isRunning_ = false;
        qCInfo(lcSession, "Stopping caption session...");
        // Ends the stream: the session's loop ends at its next snapshot and flushes.
        captionReader_->stopReading();
        if (!sessionActive_) {
            // Only after a failed reader start: nothing was read, but stop as asked.
            auto finishing = finishSession();
            co_await finishing;
            co_return;
        }
    }
    SessionEnd end{*this};
    co_await end;
}

QCoro::Task<> SessionCoordinator::finishSession() {
    auto flushing = flush(true);
    co_await flushing;
    resetState();
    qCInfo(lcSession, "Session stopped");
}

void SessionCoordinator::absorb(const CaptionSnapshot& snapshot) {
    QList<CaptionChange> changes;
    if (continuing_) {
        // What the interrupted session last read is in the transcript already.
        differ_.diff(*std::exchange(continuing_, std::nullopt), changes);
        changes = {};
    }
    differ_.diff(snapshot, changes);
    assembler_.assemble(changes, completedEntries_);
    while (completedAtPoll_.size() < completedEntries_.size())
        completedAtPoll_.append(pollNumber_);
    if (onTranscript_) {
        QList<CaptionEntry> pending = completedEntries_;
        if (std::optional<CaptionEntry> open = assembler_.openUtterance())
            pending.append(*open);
        onTranscript_(writtenCount_, pending);
    }
}

bool SessionCoordinator::isFlushDue() const {
    return !completedEntries_.isEmpty() && pollNumber_ >= nextRetryPoll_ &&
           pollNumber_ - completedAtPoll_.first() >= flushInterval;
}

QCoro::Task<> SessionCoordinator::flush(bool isFinal) {
    if (isFinal) {
        if (std::optional<CaptionEntry> last = assembler_.close())
            completedEntries_.append(*last);
    }

    // Until the end, the latest completed utterance stays while it is recent: a late
    // correction may still reach it.
    const bool keepLatest = !isFinal && pollNumber_ - completedAtPoll_.value(completedEntries_.size() - 1,
                                                                             pollNumber_) < flushInterval;
    const qsizetype ready = keepLatest ? completedEntries_.size() - 1 : completedEntries_.size();
    if (ready > 0) {
        const QList<CaptionEntry> batch = completedEntries_.first(ready);
        std::optional<QString> problem;
        try {
            auto appending = transcriptWriter_->append(batch);
            co_await appending;
            qCInfo(lcSession, "Flushed %lld entries", qint64(batch.size()));
            completedEntries_.remove(0, ready);
            completedAtPoll_.remove(0, std::min(ready, completedAtPoll_.size()));
            writtenCount_ += ready;
        } catch (const std::exception& error) {
            // Kept, and offered again ahead of newer entries at the next flush.
            problem = QString::fromUtf8(error.what());
        } catch (...) {
            problem = QStringLiteral("unknown error");
        }
        if (problem)
            qCWarning(lcSession, "Flush error: %s", qUtf8Printable(*problem));
        if ((problem || writeFailing_) && onWriteProblem_)
            onWriteProblem_(problem);
        writeFailing_ = problem.has_value();
        if (problem)
            nextRetryPoll_ = pollNumber_ + flushInterval;
        if (isFinal && !completedEntries_.isEmpty()) {
            unsavedEntries_ += completedEntries_;
            completedEntries_.clear();
            completedAtPoll_.clear();
            qCCritical(lcSession, "%lld entries could not be written to the transcript",
                       qint64(completedEntries_.size()));
        }
    }
}

void SessionCoordinator::resetState() {
    emptyFrameCount_ = 0;
    pollNumber_ = 0;
    nextRetryPoll_ = 0;
    writtenCount_ = 0;
    writeFailing_ = false;
    differ_.reset();
    assembler_.reset();
    completedEntries_.clear();
    completedAtPoll_.clear();
}

void SessionCoordinator::resumeStopWaiters() {
    for (std::coroutine_handle<> waiter : std::exchange(stopWaiters_, {}))
        waiter.resume();
}

} // namespace velmora
