#include "sources/PIDCache.h"

#include "sources/ApplicationIdentifiers.h"

namespace velmora {

PIDCache::PIDCache(Accessibility& accessibility, const Clock& clock)
    : ax_(accessibility), clock_(clock) {}

std::optional<qint32> PIDCache::lookup(const QStringList& bundleIDs) {
    const QString key = bundleIDs.join(QLatin1Char(','));
    const QDateTime now = clock_.now();
    const auto found = entries_.constFind(key);
    if (found != entries_.constEnd() && found->timestamp.msecsTo(now) < ttlMilliseconds)
        return found->pid;
    const std::optional<qint32> pid = scan(bundleIDs);
    entries_.insert(key, CacheEntry{pid, now});
    return pid;
}

std::optional<qint32> PIDCache::scan(const QStringList& bundleIDs) {
    const QList<RunningApplication> running = ax_.runningApplications();
    for (const QString& bundleID : bundleIDs) {
        for (const RunningApplication& app : running) {
            if (app.bundleIdentifier && ApplicationIdentifiers::matches(bundleID, *app.bundleIdentifier))
                return app.processIdentifier;
        }
    }
    return std::nullopt;
}

} // namespace velmora
