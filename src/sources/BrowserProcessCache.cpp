#include "sources/BrowserProcessCache.h"

#include "sources/ApplicationIdentifiers.h"
#include "sources/AXHelpers.h"
#include "sources/Logging.h"

#include <algorithm>

namespace velmora {

BrowserProcessCache::BrowserProcessCache(Accessibility& accessibility, const Clock& clock)
    : ax_(accessibility), clock_(clock) {}

QList<BrowserProcess> BrowserProcessCache::runningBrowsers() {
    const QDateTime now = clock_.now();
    if (cacheTimestamp_.isValid() && cacheTimestamp_.msecsTo(now) < cacheTTLMilliseconds) {
        justEnabledPIDs_.clear();
        return cachedBrowsers_;
    }
    const QList<RunningApplication> running = ax_.runningApplications();
    QList<BrowserProcess> result;
    QSet<qint32> newlyEnabled;
    for (const QString& bundleID : ApplicationIdentifiers::chromiumBundleIDs()) {
        const auto app = std::find_if(running.begin(), running.end(), [&](const RunningApplication& a) {
            return a.bundleIdentifier && ApplicationIdentifiers::matches(bundleID, *a.bundleIdentifier);
        });
        if (app == running.end())
            continue;
        const qint32 pid = app->processIdentifier;
        result.append(BrowserProcess{pid, bundleID});
        if (enabledPIDs_.contains(pid))
            continue;
        const int attempts = failedPIDs_.value(pid, 0);
        if (attempts >= maxEnableAttempts)
            continue; // left alone while this process lives
        if (AXHelpers::enableChromiumAccessibility(ax_, pid)) {
            enabledPIDs_.insert(pid);
            newlyEnabled.insert(pid);
            failedPIDs_.remove(pid);
            qCDebug(lcBrowserCache, "AX enabled for %s PID %d", qUtf8Printable(bundleID), pid);
        } else {
            failedPIDs_.insert(pid, attempts + 1);
            qCDebug(lcBrowserCache, "AX enable failed for %s PID %d (attempt %d/%d)",
                    qUtf8Printable(bundleID), pid, attempts + 1, maxEnableAttempts);
        }
    }
    // Processes that are gone are forgotten, so a restarted browser is switched on again.
    QSet<qint32> listed;
    for (const BrowserProcess& browser : result)
        listed.insert(browser.pid);
    enabledPIDs_.intersect(listed);
    for (auto it = failedPIDs_.begin(); it != failedPIDs_.end();)
        it = listed.contains(it.key()) ? std::next(it) : failedPIDs_.erase(it);
    justEnabledPIDs_ = newlyEnabled;
    cachedBrowsers_ = result;
    cacheTimestamp_ = now;
    return result;
}

} // namespace velmora
