#pragma once

#include "platform/linux/GObjectRef.h"
#include "sources/AXElement.h"
#include "sources/BrowserCaptionTarget.h"

#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

#include <atspi/atspi.h>

#include <optional>

namespace velmora {

class AtspiTree;

// The fast answer to Accessibility::findWebTargets for browsers. A client-side walk costs a
// round trip per node and attribute (seconds on a large page); instead the application's tree
// is listed in one Collection query (every node but text runs, in pre-order) and matched
// against what is remembered about its nodes:
// - role, DOM class, DOM id and parent are read once per node (Chromium keeps them for a
//   node's life; a changed class or id on a live node is not seen — Chromium announces no
//   such change); a node whose remembered parent is no longer listed has its parent read
//   again;
// - names are read once and forgotten when the application announces a new one;
// - nodes no longer listed are forgotten.
// Depths and what is web content follow from the parents; a node that matches from memory is
// read again before it is answered, so the answer is the plain walk's first match in pre-order.
// Accessibility thread only.
class AtspiWebSearch final {
public:
    explicit AtspiWebSearch(AtspiTree& tree);
    ~AtspiWebSearch();

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
        bool attributesKnown = false; // read without error
        QStringList classes;
        std::optional<QString> id;
        bool parentRead = false;
        GObjectRef<AtspiAccessible> parent;
    };
    Known& know(AtspiAccessible* object);
    const std::optional<AtspiRole>& roleOf(Known& known);
    const std::optional<QString>& nameOf(Known& known);
    // Reads the DOM class list and id once; false when the node does not answer.
    bool readAttributes(Known& known);
    AtspiAccessible* parentOf(Known& known);
    bool matches(Known& known, const BrowserCaptionTarget& target);
    // The same test on freshly read values; refreshes what is remembered.
    bool stillMatches(AtspiAccessible* object, const BrowserCaptionTarget& target);
    // The first of `candidates` (web content within the depth bound, in pre-order) that
    // matches, confirmed by fresh reads.
    AtspiAccessible* firstMatch(const QList<AtspiAccessible*>& candidates,
                                const BrowserCaptionTarget& target);
    void forgetUnseen(const AtspiApplication* application);

    AtspiTree& tree_;
    QHash<AtspiAccessible*, Known> known_;
    QSet<AtspiAccessible*> seen_;
};

} // namespace velmora
