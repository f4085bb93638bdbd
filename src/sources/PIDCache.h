#pragma once

#include "capture/Clock.h"
#include "sources/Accessibility.h"

#include <QDateTime>
#include <QHash>
#include <QStringList>

#include <optional>

namespace velmora {

// Spares a scan of the running applications more than once per 5 seconds per list of
// identifiers. An absent process id is cached too. Lives on the accessibility queue: it reads
// the bus, so it is used only inside jobs run there (which also makes it race-free).
class PIDCache {
public:
    static constexpr qint64 ttlMilliseconds = 5000;

    PIDCache(Accessibility& accessibility, const Clock& clock);

    // The process of the first identifier (in the given order) that has a running application.
    std::optional<qint32> lookup(const QStringList& bundleIDs);

private:
    struct CacheEntry {
        std::optional<qint32> pid;
        QDateTime timestamp;
    };
    std::optional<qint32> scan(const QStringList& bundleIDs);

    Accessibility& ax_;
    const Clock& clock_;
    QHash<QString, CacheEntry> entries_;
};

} // namespace velmora
