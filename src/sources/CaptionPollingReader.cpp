#include "sources/CaptionPollingReader.h"

#include "capture/SerialExecutor.h"
#include "capture/VelmoraError.h"
#include "sources/AXHelpers.h"

namespace velmora {

namespace {
constexpr qint64 windowCheckAfterMisses = 10;
constexpr qint64 notFoundLogEvery = 10;
} // namespace

CaptionPollingReader::CaptionPollingReader(const ReaderEnvironment& environment,
                                           Duration pollInterval, const QLoggingCategory& log)
    : env_(environment), log_(log), pollInterval_(pollInterval),
      stream_(std::make_shared<CaptionStream>()) {}

CaptionPollingReader::~CaptionPollingReader() {
    if (pollTask_)
        pollTask_->cancel();
    // A consumer still listening learns that no more snapshots will come.
    stream_->finish();
}

void CaptionPollingReader::onContainerNotFound(const AXElement&) const {}

QCoro::Task<> CaptionPollingReader::startReading() {
    // A reader serves one capture: once its stream has ended it never polls again.
    if (pollTask_ || stream_->isFinished())
        co_return;
    if (!env_.accessibility.isProcessTrusted())
        throw VelmoraError::accessibilityNotTrusted();
    const AXElement appElement = createAppElement();

    std::weak_ptr<CaptionPollingReader> weakSelf = weak_from_this();
    stream_->setOnTermination([weakSelf] {
        if (auto self = weakSelf.lock()) {
            if (auto task = std::exchange(self->pollTask_, std::nullopt))
                task->cancel();
        }
    });
    CancelToken token;
    pollTask_ = token;
    pollLoop(weakSelf, appElement, token);
}

void CaptionPollingReader::stopReading() {
    qCInfo(log_, "Stopping, clearing cache");
    if (auto task = std::exchange(pollTask_, std::nullopt))
        task->cancel();
    stream_->finish();
    cachedContainer_ = AXElement();
    containerGoneCount_ = 0;
    pollCount_ = 0;
    lastLoggedEntryCount_ = -1;
    resetReaderState();
}

void CaptionPollingReader::finishStream() { stream_->finish(); }

QCoro::Task<> CaptionPollingReader::pollLoop(std::weak_ptr<CaptionPollingReader> weakSelf,
                                             AXElement appElement, CancelToken token) {
    int windowBaseline = 0;
    while (true) {
        auto self = weakSelf.lock();
        if (!self || token.isCancelled())
            co_return;
        const bool checksWindows = self->checksCallWindows();
        Accessibility& ax = self->env_.accessibility;
        struct Inspection {
            AXPollResult result;
            int windowCount = 0;
        };
        const CaptionPollingReader* reader = self.get();
        const AXElement cached = self->cachedContainer_;
        // The reader is held strongly only for the length of one poll, never across the sleep.
        auto inspect = self->env_.accessibilityQueue.run([=, &ax] {
            Inspection done{reader->pollAXTree(appElement, cached)};
            const auto kind = done.result.kind;
            if (checksWindows && (kind == AXPollResult::Kind::cachedEntries ||
                                  kind == AXPollResult::Kind::found ||
                                  kind == AXPollResult::Kind::cacheValidEmpty))
                done.windowCount = AXHelpers::windowCount(ax, appElement);
            return done;
        });
        Inspection inspection = co_await inspect;
        if (token.isCancelled())
            co_return;

        const CaptionSnapshot entries = self->applyPollResult(inspection.result);
        if (std::exchange(self->notFoundDiagnosticDue_, false)) {
            auto diagnose = self->env_.accessibilityQueue.run(
                [reader, appElement] { reader->onContainerNotFound(appElement); });
            co_await diagnose;
            if (token.isCancelled())
                co_return;
        }
        switch (inspection.result.kind) {
        case AXPollResult::Kind::cachedEntries:
        case AXPollResult::Kind::found:
        case AXPollResult::Kind::cacheValidEmpty:
            windowBaseline = inspection.windowCount;
            break;
        default:
            break;
        }

        if (inspection.result.kind == AXPollResult::Kind::appGone) {
            qCInfo(self->log_, "App process gone, finishing stream");
            self->finishStream();
            co_return;
        }
        if (checksWindows && self->containerGoneCount_ >= windowCheckAfterMisses &&
            windowBaseline >= 1) {
            auto countWindows = self->env_.accessibilityQueue.run(
                [=, &ax] { return AXHelpers::windowCount(ax, appElement); });
            const int windows = co_await countWindows;
            if (token.isCancelled())
                co_return;
            if (windows < windowBaseline) {
                qCInfo(self->log_, "Call window closed (%d→%d windows), finishing stream",
                       windowBaseline, windows);
                self->finishStream();
                co_return;
            }
        }
        const qint64 threshold = self->containerGoneThreshold();
        if (self->containerGoneCount_ >= threshold) {
            qCInfo(self->log_,
                   "Container gone for %lld consecutive polls (threshold=%lld), finishing stream",
                   self->containerGoneCount_, threshold);
            self->finishStream();
            co_return;
        }
        std::shared_ptr<CaptionStream> stream = self->stream_;
        Scheduler& scheduler = self->env_.scheduler;
        const Duration interval = self->pollInterval_;
        self.reset();
        stream->send(entries);
        auto pause = scheduler.sleep(interval, token);
        if (!co_await pause)
            co_return;
    }
}

AXPollResult CaptionPollingReader::pollAXTree(const AXElement& appElement,
                                              const AXElement& cachedContainer) const {
    if (!cachedContainer.isNull()) {
        CaptionSnapshot entries = extractEntries(cachedContainer);
        if (!entries.isEmpty())
            return AXPollResult::cachedEntries(std::move(entries));
        return AXPollResult::of(isCacheValid(cachedContainer) ? AXPollResult::Kind::cacheValidEmpty
                                                              : AXPollResult::Kind::cacheStale);
    }
    if (std::optional<AXElement> container = findContainer(appElement)) {
        CaptionSnapshot entries = extractEntries(*container);
        return AXPollResult::found(*container, std::move(entries));
    }
    const bool answers = AXHelpers::role(env_.accessibility, appElement).has_value();
    return AXPollResult::of(answers ? AXPollResult::Kind::notFound : AXPollResult::Kind::appGone);
}

CaptionSnapshot CaptionPollingReader::applyPollResult(const AXPollResult& result) {
    ++pollCount_;
    switch (result.kind) {
    case AXPollResult::Kind::found:
        qCInfo(log_, "Found caption container, caching");
        cachedContainer_ = result.container;
        [[fallthrough]];
    case AXPollResult::Kind::cachedEntries: {
        containerGoneCount_ = 0;
        CaptionSnapshot published = applyReaderState(result.entries);
        logEntryCount(published.size());
        return published;
    }
    case AXPollResult::Kind::cacheValidEmpty:
        containerGoneCount_ = 0;
        return {};
    case AXPollResult::Kind::cacheStale:
        qCInfo(log_, "Cached container stale, re-searching AX tree");
        cachedContainer_ = AXElement();
        return {};
    case AXPollResult::Kind::notFound:
        ++containerGoneCount_;
        if (pollCount_ % notFoundLogEvery == 0) {
            qCInfo(log_, "Container not found (poll %lld, gone=%lld)", pollCount_,
                   containerGoneCount_);
            // The diagnostic reads the tree, so the loop runs it on the accessibility queue.
            notFoundDiagnosticDue_ = true;
        }
        return {};
    case AXPollResult::Kind::appGone:
        qCInfo(log_, "App process no longer reachable");
        return {};
    }
    return {};
}

void CaptionPollingReader::logEntryCount(qint64 count) {
    if (count == lastLoggedEntryCount_)
        return;
    qCInfo(log_, "Extracted %lld entries", count);
    lastLoggedEntryCount_ = count;
}

} // namespace velmora
