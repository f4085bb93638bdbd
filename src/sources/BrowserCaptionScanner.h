#pragma once

#include "capture/CancelToken.h"
#include "capture/CaptionSource.h"
#include "capture/Scheduler.h"
#include "sources/BrowserCaptionTarget.h"
#include "sources/BrowserProcess.h"
#include "sources/ReaderEnvironment.h"

#include <QCoroTask>
#include <QHash>
#include <QList>

#include <functional>
#include <memory>
#include <optional>

namespace velmora {

class Accessibility;
class BrowserProcessCache;

// One caption marker and the web source it reveals.
struct BrowserTargetConfig {
    BrowserCaptionTarget target;
    CaptionSource source;
};

// Notices web meetings: every few seconds walks each running supported browser's web content
// once for all caption markers, and reports per source when captions appear (with the
// browser's process) and when they disappear. Lives in a shared_ptr: its loop holds it weakly
// and ends once it is dropped. Main thread, but for the scan itself.
class BrowserCaptionScanner : public std::enable_shared_from_this<BrowserCaptionScanner> {
public:
    static constexpr int maxDepth = 40;

    struct TargetState {
        bool captionsVisible = false;
        std::optional<qint32> detectedPID;
    };

    BrowserCaptionScanner(const ReaderEnvironment& environment, BrowserProcessCache& browsers,
                          QList<BrowserTargetConfig> configs, Duration pollInterval);
    ~BrowserCaptionScanner();

    // The markers of the three web clients. Zoom's box is also known by its lines, because
    // Chromium on Linux leaves class-only boxes out of the tree.
    static QList<BrowserTargetConfig> standardConfigs();

    std::function<void(CaptionSource, qint32)> onSourceAppeared;
    std::function<void(CaptionSource)> onSourceDisappeared;

    void startMonitoring();
    void stopMonitoring();
    bool isMonitoring() const { return pollTask_.has_value(); }
    TargetState state(CaptionSource source) const { return states_.value(source); }

    // The sources seen, each with the first browser (in the given order) that shows it.
    // Stateless; runs on the accessibility queue.
    static QHash<CaptionSource, qint32> scanBrowsers(Accessibility& accessibility,
                                                     const QList<BrowserProcess>& browsers,
                                                     const QList<BrowserCaptionTarget>& allTargets,
                                                     const QList<BrowserTargetConfig>& configs);

private:
    static QCoro::Task<> pollLoop(std::weak_ptr<BrowserCaptionScanner> weakSelf, CancelToken token);
    void applyResult(const QHash<CaptionSource, qint32>& result);
    void resetStates();
    QList<CaptionSource> configuredSources() const;

    const ReaderEnvironment env_;
    BrowserProcessCache& browsers_;
    const QList<BrowserTargetConfig> configs_;
    QHash<CaptionSource, TargetState> states_;
    std::optional<CancelToken> pollTask_;
    const Duration pollInterval_;
};

} // namespace velmora
