#pragma once

#include "capture/CancelToken.h"
#include "capture/Scheduler.h"
#include "capture/SerialExecutor.h"
#include "sources/CaptionSourceMonitor.h"
#include "sources/NativeAppMonitorConfig.h"
#include "sources/PIDCache.h"

#include <QCoroTask>

#include <optional>

namespace velmora {

// Notices captions being switched on and off in one desktop meeting application: every poll
// interval it looks the application up and, if it runs, checks its tree for the caption area,
// both on the accessibility queue. Edge-triggered: a callback only when visibility changes.
// Lives on the main thread.
class NativeAppCaptionMonitor final : public CaptionSourceMonitor {
public:
    NativeAppCaptionMonitor(NativeAppMonitorConfig config, Duration pollInterval,
                            Accessibility& accessibility, SerialExecutor& accessibilityQueue,
                            Scheduler& scheduler, PIDCache& pidCache);
    ~NativeAppCaptionMonitor() override;

    void startMonitoring() override;
    void stopMonitoring() override;

    bool isMonitoring() const { return pollTask_.has_value(); }
    bool captionsVisible() const { return captionsWereVisible_; }
    bool appRunning() const { return appWasRunning_; }
    qint64 pollCount() const { return pollCount_; }
    const NativeAppMonitorConfig& config() const { return config_; }

private:
    QCoro::Task<> pollLoop(CancelToken token);
    QCoro::Task<> poll(CancelToken token);
    void applyVisibility(bool visible);

    const NativeAppMonitorConfig config_;
    const Duration pollInterval_;
    Accessibility& ax_;
    SerialExecutor& accessibilityQueue_;
    Scheduler& scheduler_;
    PIDCache& pidCache_;

    std::optional<CancelToken> pollTask_;
    bool captionsWereVisible_ = false;
    bool appWasRunning_ = false;
    qint64 pollCount_ = 0;
};

} // namespace velmora
