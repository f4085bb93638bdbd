#pragma once

#include "capture/Clock.h"
#include "sources/Accessibility.h"
#include "sources/BrowserProcess.h"

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QSet>

namespace velmora {

// Knows which supported browsers run and switches their web accessibility on, once per
// browser process, with at most three attempts. The running-application list is read at most
// once per 5 seconds. Lives on the accessibility queue: it reads and writes over the bus, so
// it is used only inside jobs run there (which also makes it race-free without a lock).
class BrowserProcessCache {
public:
    static constexpr qint64 cacheTTLMilliseconds = 5000;
    static constexpr int maxEnableAttempts = 3;

    BrowserProcessCache(Accessibility& accessibility, const Clock& clock);

    // In the order of preference of the browser list, at most one process per browser.
    QList<BrowserProcess> runningBrowsers();
    // The processes switched on by the latest call (empty after a call served from the cache).
    const QSet<qint32>& justEnabledPIDs() const { return justEnabledPIDs_; }

private:
    Accessibility& ax_;
    const Clock& clock_;
    QList<BrowserProcess> cachedBrowsers_;
    QDateTime cacheTimestamp_;
    QSet<qint32> enabledPIDs_;
    QHash<qint32, int> failedPIDs_;
    QSet<qint32> justEnabledPIDs_;
};

} // namespace velmora
