#pragma once

#include "capture/CancelToken.h"
#include "capture/CaptionReader.h"
#include "capture/Scheduler.h"
#include "sources/AXPollResult.h"
#include "sources/ReaderEnvironment.h"

#include <QLoggingCategory>

#include <optional>

namespace velmora {

// The polling loop every caption reader shares: one inspection per interval on the
// accessibility queue, a cached caption container, and the rules that end the stream (the
// application gone, the call window closed, the container missing too long). Concrete readers
// supply only the hooks. Readers live in a shared_ptr: the loop holds them weakly.
class CaptionPollingReader : public CaptionReader,
                             public std::enable_shared_from_this<CaptionPollingReader> {
public:
    ~CaptionPollingReader() override;

    std::shared_ptr<CaptionStream> captions() const override { return stream_; }
    QCoro::Task<> startReading() override;
    void stopReading() override;

    // One inspection; runs on the accessibility queue and touches no loop state.
    AXPollResult pollAXTree(const AXElement& appElement, const AXElement& cachedContainer) const;
    // Turns one result into the snapshot to publish, updating cache and counters (main thread).
    CaptionSnapshot applyPollResult(const AXPollResult& result);

    bool isPolling() const { return pollTask_.has_value(); }
    qint64 pollCount() const { return pollCount_; }
    qint64 containerGoneCount() const { return containerGoneCount_; }
    bool hasCachedContainer() const { return !cachedContainer_.isNull(); }

protected:
    CaptionPollingReader(const ReaderEnvironment& environment, Duration pollInterval,
                         const QLoggingCategory& log);

    // Hooks. The first four run on the accessibility queue.
    virtual AXElement createAppElement() = 0; // may throw; main thread
    virtual std::optional<AXElement> findContainer(const AXElement& appElement) const = 0;
    virtual CaptionSnapshot extractEntries(const AXElement& container) const = 0;
    virtual bool isCacheValid(const AXElement& container) const = 0;
    virtual CaptionSnapshot applyReaderState(const CaptionSnapshot& entries) = 0;
    virtual void onContainerNotFound(const AXElement& appElement) const;
    virtual qint64 containerGoneThreshold() const = 0;
    virtual bool checksCallWindows() const = 0;
    virtual void resetReaderState() = 0;

    const ReaderEnvironment env_;
    const QLoggingCategory& log_;

private:
    static QCoro::Task<> pollLoop(std::weak_ptr<CaptionPollingReader> weakSelf,
                                  AXElement appElement, CancelToken token);
    void logEntryCount(qint64 count);
    void finishStream();

    const Duration pollInterval_;
    std::shared_ptr<CaptionStream> stream_;
    std::optional<CancelToken> pollTask_;
    AXElement cachedContainer_;
    qint64 containerGoneCount_ = 0;
    qint64 pollCount_ = 0;
    qint64 lastLoggedEntryCount_ = -1;
    bool notFoundDiagnosticDue_ = false;
};

} // namespace velmora
