#pragma once

#include "platform/linux/GObjectRef.h"
#include "sources/AXElement.h"
#include "sources/BrowserCaptionTarget.h"

#include <QHash>
#include <QList>
#include <QSet>
#include <QString>

#include <atspi/atspi.h>

#include <optional>

namespace velmora {

class AtspiTree;

// The fast answer to Accessibility::findWebTargets for browsers. A client-side walk costs a
// round trip per node and attribute (seconds on a large page); instead each web document is
// listed in one Collection query (every node but text runs, in pre-order) and matched against
// what is remembered about its nodes:
// - role, DOM class, DOM id and parent are read once per node (Chromium keeps them for a
//   node's life; a changed class or id on a live node is not seen — Chromium announces no
//   such change);
// - names are read once and forgotten when the application announces a new one;
// - nodes no longer listed are forgotten.
// A node that matches from memory is read again before it is answered, and its depth is
// checked against the bound, so the answer is the plain walk's first match in pre-order.
// Accessibility thread only.
class AtspiWebSearch final {
public:
    explicit AtspiWebSearch(AtspiTree& tree);

    // Nothing when the application cannot be queried this way (the caller then walks).
    std::optional<QHash<BrowserCaptionTarget, AXElement>>
    find(AtspiAccessible* application, const QList<BrowserCaptionTarget>& targets, int maxDepth);

private:
    struct Known {
        GObjectRef<AtspiAccessible> object;
        bool roleRead = false;
        std::optional<AtspiRole> role;
        bool nameRead = false;
        std::optional<QString> name;
        bool attributesRead = false;
        std::optional<QHash<QString, QString>> attributes;
        bool parentRead = false;
        GObjectRef<AtspiAccessible> parent;
    };
    Known& know(AtspiAccessible* object);
    const std::optional<AtspiRole>& roleOf(Known& known);
    const std::optional<QString>& nameOf(Known& known);
    const std::optional<QHash<QString, QString>>& attributesOf(Known& known);
    AtspiAccessible* parentOf(Known& known);
    // Steps from `object` up to `ancestor`, or nothing when `ancestor` is not reached within
    // `limit` steps.
    std::optional<int> distance(AtspiAccessible* object, AtspiAccessible* ancestor, int limit);
    bool matches(Known& known, const BrowserCaptionTarget& target);
    // The same test on freshly read values; refreshes what is remembered.
    bool stillMatches(AtspiAccessible* object, const BrowserCaptionTarget& target);
    AtspiAccessible* firstMatch(const QList<GObjectRef<AtspiAccessible>>& nodes,
                                const BrowserCaptionTarget& target, int documentDepth,
                                int maxDepth);
    void forgetUnseen(const AtspiApplication* application);

    AtspiTree& tree_;
    QHash<AtspiAccessible*, Known> known_;
    QSet<AtspiAccessible*> seen_;
};

} // namespace velmora
