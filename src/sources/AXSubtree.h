#pragma once

#include "sources/AXElement.h"
#include "sources/Accessibility.h"

#include <QList>
#include <QString>

namespace velmora {

// A copy of part of the tree, read in one walk: a reader can then look at its shape as often
// as it needs without asking the other process again. Only what the caption readers use is
// kept: each node's role, a static text's value or an image's name, and the children.
struct AXSubtree {
    QString role;    // empty when unreadable
    QString text;    // a static text's value, an image's name; empty otherwise
    QList<AXSubtree> children;

    // `element` and the nodes below it down to `maxDepth` levels (0: the element alone), at
    // most `maxNodes` of them in pre-order; children of static texts, images and buttons are
    // not read (they carry no caption of their own).
    static AXSubtree read(Accessibility& ax, const AXElement& element, int maxDepth,
                          int maxNodes = 5000);

    bool isStaticText() const;
    bool isImage() const;
    bool isGroup() const;
    bool isButton() const;
};

} // namespace velmora
