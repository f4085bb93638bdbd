#pragma once

#include "capture/CaptionEntry.h"
#include "sources/AXElement.h"

namespace velmora {

// The outcome of one inspection of the accessibility tree by a polling reader.
struct AXPollResult {
    enum class Kind {
        cachedEntries,   // the cached container yielded entries
        found,           // a fresh search found a container (entries may be empty)
        cacheValidEmpty, // the cached container yielded nothing but is still the container
        cacheStale,      // the cached container yielded nothing and is no longer the container
        notFound,        // nothing cached, nothing found, the application still answers
        appGone,         // nothing cached, nothing found, the application does not answer
    };

    Kind kind = Kind::notFound;
    AXElement container; // for found
    CaptionSnapshot entries; // for cachedEntries and found

    static AXPollResult cachedEntries(CaptionSnapshot entries) {
        return {Kind::cachedEntries, {}, std::move(entries)};
    }
    static AXPollResult found(AXElement container, CaptionSnapshot entries) {
        return {Kind::found, std::move(container), std::move(entries)};
    }
    static AXPollResult of(Kind kind) { return {kind, {}, {}}; }
};

} // namespace velmora
