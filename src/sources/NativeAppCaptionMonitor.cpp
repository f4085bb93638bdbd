#include "sources/NativeAppCaptionMonitor.h"

#include "sources/Logging.h"

namespace velmora {

NativeAppCaptionMonitor::NativeAppCaptionMonitor(NativeAppMonitorConfig config, Duration pollInterval,
                                                 Accessibility& accessibility,
                                                 SerialExecutor& accessibilityQueue,
                                                 Scheduler& scheduler, PIDCache& pidCache)
    : config_(std::move(config)), pollInterval_(pollInterval), ax_(accessibility),
      accessibilityQueue_(accessibilityQueue), scheduler_(scheduler), pidCache_(pidCache) {}

NativeAppCaptionMonitor::~NativeAppCaptionMonitor() {
    // The loop checks its token after every wait, so it never touches a destroyed monitor.
    if (pollTask_)
        pollTask_->cancel();
}

void NativeAppCaptionMonitor::startMonitoring() {
    if (pollTask_)
        return;
    qCInfo(lcMonitor, "Starting %s monitor (poll: %fs)", qUtf8Printable(config_.appDisplayName),
           double(pollInterval_.count()) / 1000.0);
    captionsWereVisible_ = false;
    appWasRunning_ = false;
    pollCount_ = 0;
    CancelToken token;
    pollTask_ = token;
    pollLoop(token);
}

void NativeAppCaptionMonitor::stopMonitoring() {
    qCInfo(lcMonitor, "Stopping %s monitor", qUtf8Printable(config_.appDisplayName));
    if (auto task = std::exchange(pollTask_, std::nullopt))
        task->cancel();
    captionsWereVisible_ = false;
    appWasRunning_ = false;
    pollCount_ = 0;
}

QCoro::Task<> NativeAppCaptionMonitor::pollLoop(CancelToken token) {
    // The first poll runs at the scheduler's next turn, never inside startMonitoring: a callback
    // may well stop or restart this monitor.
    Duration pause = Duration::zero();
    while (true) {
        auto sleep = scheduler_.sleep(pause, token);
        if (!co_await sleep)
            co_return;
        auto check = poll(token);
        co_await check;
        if (token.isCancelled())
            co_return;
        pause = pollInterval_;
    }
}

QCoro::Task<> NativeAppCaptionMonitor::poll(CancelToken token) {
    ++pollCount_;
    const std::optional<qint32> pid = pidCache_.lookup(config_.bundleIDs);
    if (!pid) {
        if (appWasRunning_) {
            qCInfo(lcMonitor, "%s not running", qUtf8Printable(config_.appDisplayName));
            appWasRunning_ = false;
        }
        applyVisibility(false);
        co_return;
    }
    if (!appWasRunning_) {
        qCInfo(lcMonitor, "%s detected (PID: %d)", qUtf8Printable(config_.appDisplayName), *pid);
        appWasRunning_ = true;
    }
    Accessibility& ax = ax_;
    const NativeAppMonitorConfig::CaptionCheck checkForCaptions = config_.checkForCaptions;
    const NativeAppMonitorConfig::DebugLog debugLog =
        captionsWereVisible_ ? NativeAppMonitorConfig::DebugLog() : config_.debugLog;
    const qint64 pollCount = pollCount_;
    const qint32 processIdentifier = *pid;
    auto inspect = accessibilityQueue_.run([=, &ax] {
        const AXElement app = ax.applicationElement(processIdentifier);
        if (debugLog)
            debugLog(ax, app, pollCount);
        return checkForCaptions(ax, app);
    });
    const bool visible = co_await inspect;
    if (token.isCancelled())
        co_return;
    applyVisibility(visible);
}

void NativeAppCaptionMonitor::applyVisibility(bool visible) {
    if (visible == captionsWereVisible_)
        return;
    captionsWereVisible_ = visible;
    // Copied first: the callback may stop, restart or replace this monitor's callbacks.
    std::function<void()> callback;
    if (visible) {
        qCInfo(lcMonitor, "Captions detected in %s AX tree", qUtf8Printable(config_.appDisplayName));
        callback = onCaptionsAppeared;
    } else {
        qCInfo(lcMonitor, "Captions no longer visible in %s", qUtf8Printable(config_.appDisplayName));
        callback = onCaptionsDisappeared;
    }
    if (callback)
        callback();
}

} // namespace velmora
