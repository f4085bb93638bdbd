#include "sources/BrowserCaptionScanner.h"

#include "capture/SerialExecutor.h"
#include "sources/Accessibility.h"
#include "sources/BrowserProcessCache.h"
#include "sources/Logging.h"

namespace velmora {

namespace {

std::optional<CaptionSource> sourceOf(const QList<BrowserTargetConfig>& configs,
                                      const BrowserCaptionTarget& target) {
    for (const BrowserTargetConfig& config : configs) {
        if (config.target == target)
            return config.source;
    }
    return std::nullopt;
}

} // namespace

BrowserCaptionScanner::BrowserCaptionScanner(const ReaderEnvironment& environment,
                                             BrowserProcessCache& browsers,
                                             QList<BrowserTargetConfig> configs,
                                             Duration pollInterval)
    : env_(environment), browsers_(browsers), configs_(std::move(configs)),
      pollInterval_(pollInterval) {
    resetStates();
}

BrowserCaptionScanner::~BrowserCaptionScanner() {
    // The loop would notice at its next wake-up; this wakes it now.
    if (pollTask_)
        pollTask_->cancel();
}

QList<BrowserTargetConfig> BrowserCaptionScanner::standardConfigs() {
    return {
        {BrowserCaptionTarget::domClass(QStringLiteral("live-transcription-subtitle__box")),
         CaptionSource::browserZoom},
        {BrowserCaptionTarget::childDOMIdentifier(QStringLiteral("live-transcription-subtitle")),
         CaptionSource::browserZoom},
        {BrowserCaptionTarget::description(QStringLiteral("Captions")), CaptionSource::browserMeet},
        {BrowserCaptionTarget::description(QStringLiteral("Live Captions")),
         CaptionSource::browserTeams},
    };
}

QList<CaptionSource> BrowserCaptionScanner::configuredSources() const {
    QList<CaptionSource> sources;
    for (const BrowserTargetConfig& config : configs_) {
        if (!sources.contains(config.source))
            sources.append(config.source);
    }
    return sources;
}

void BrowserCaptionScanner::resetStates() {
    states_.clear();
    for (CaptionSource source : configuredSources())
        states_.insert(source, TargetState{});
}

void BrowserCaptionScanner::startMonitoring() {
    if (pollTask_)
        return;
    qCInfo(lcBrowserScanner, "Starting (%lld targets, poll: %gs)", qlonglong(configs_.size()),
           pollInterval_.count() / 1000.0);
    resetStates();
    CancelToken token;
    pollTask_ = token;
    pollLoop(weak_from_this(), token);
}

void BrowserCaptionScanner::stopMonitoring() {
    qCInfo(lcBrowserScanner, "Stopping");
    if (auto task = std::exchange(pollTask_, std::nullopt))
        task->cancel();
    resetStates();
}

QHash<CaptionSource, qint32>
BrowserCaptionScanner::scanBrowsers(Accessibility& accessibility,
                                    const QList<BrowserProcess>& browsers,
                                    const QList<BrowserCaptionTarget>& allTargets,
                                    const QList<BrowserTargetConfig>& configs) {
    QHash<CaptionSource, qint32> result;
    for (const BrowserProcess& browser : browsers) {
        QList<BrowserCaptionTarget> wanted;
        for (const BrowserCaptionTarget& target : allTargets) {
            const auto source = sourceOf(configs, target);
            if (source && !result.contains(*source))
                wanted.append(target);
        }
        if (wanted.isEmpty())
            break;
        const AXElement app = accessibility.applicationElement(browser.pid);
        const auto found = accessibility.findWebTargets(app, wanted, maxDepth);
        for (const BrowserCaptionTarget& target : wanted) {
            const auto source = sourceOf(configs, target);
            if (found.contains(target) && !result.contains(*source))
                result.insert(*source, browser.pid);
        }
    }
    return result;
}

void BrowserCaptionScanner::applyResult(const QHash<CaptionSource, qint32>& result) {
    for (CaptionSource source : configuredSources()) {
        TargetState& state = states_[source];
        const QString name = CaptionSources::rawValue(source);
        if (const auto pid = result.constFind(source); pid != result.constEnd()) {
            state.detectedPID = *pid;
            if (!state.captionsVisible) {
                qCInfo(lcBrowserScanner, "%s captions detected (PID: %d)", qUtf8Printable(name), *pid);
                state.captionsVisible = true;
                if (onSourceAppeared)
                    onSourceAppeared(source, *pid);
            }
        } else if (state.captionsVisible) {
            qCInfo(lcBrowserScanner, "%s captions no longer visible", qUtf8Printable(name));
            state.captionsVisible = false;
            state.detectedPID.reset();
            if (onSourceDisappeared)
                onSourceDisappeared(source);
        }
    }
}

QCoro::Task<> BrowserCaptionScanner::pollLoop(std::weak_ptr<BrowserCaptionScanner> weakSelf,
                                              CancelToken token) {
    while (true) {
        auto self = weakSelf.lock();
        if (!self || token.isCancelled())
            co_return;
        QList<BrowserCaptionTarget> allTargets;
        for (const BrowserTargetConfig& config : self->configs_)
            allTargets.append(config.target);
        // A browser switched on by this very call still builds its web tree: scanned next time.
        QList<BrowserProcess> browsers = self->browsers_.runningBrowsers();
        const QSet<qint32> justEnabled = self->browsers_.justEnabledPIDs();
        browsers.removeIf([&](const BrowserProcess& b) { return justEnabled.contains(b.pid); });
        Accessibility& ax = self->env_.accessibility;
        const QList<BrowserTargetConfig> configs = self->configs_;
        SerialExecutor& queue = self->env_.accessibilityQueue;
        Scheduler& scheduler = self->env_.scheduler;
        const Duration interval = self->pollInterval_;
        self.reset(); // held only while touching its state, never across a wait
        auto scan = queue.run([&ax, browsers, allTargets, configs] {
            return scanBrowsers(ax, browsers, allTargets, configs);
        });
        const QHash<CaptionSource, qint32> result = co_await scan;
        self = weakSelf.lock();
        if (!self || token.isCancelled())
            co_return;
        self->applyResult(result);
        self.reset();
        if (token.isCancelled())
            co_return;
        auto pause = scheduler.sleep(interval, token);
        if (!co_await pause)
            co_return;
    }
}

} // namespace velmora
