#include "sources/AXSubtree.h"

#include "sources/AXHelpers.h"
#include "sources/AXNames.h"

namespace velmora {

namespace {

// Leaves as far as captions go: what is inside them is their own text, or presentation.
bool isLeaf(const AXSubtree& node) {
    return node.isStaticText() || node.isImage() || node.isButton();
}

void readInto(Accessibility& ax, const AXElement& element, int depth, int& budget, AXSubtree& node) {
    --budget;
    node.role = AXHelpers::role(ax, element).value_or(QString());
    if (node.isStaticText())
        node.text = AXHelpers::stringValue(ax, element).value_or(QString());
    else if (node.isImage())
        node.text = AXHelpers::description(ax, element).value_or(QString());
    if (depth <= 0 || isLeaf(node) || node.role.isEmpty())
        return;
    for (const AXElement& child : AXHelpers::children(ax, element)) {
        if (budget <= 0)
            return;
        node.children.append(AXSubtree());
        readInto(ax, child, depth - 1, budget, node.children.back());
    }
}

} // namespace

AXSubtree AXSubtree::read(Accessibility& ax, const AXElement& element, int maxDepth, int maxNodes) {
    AXSubtree root;
    int budget = maxNodes;
    readInto(ax, element, maxDepth, budget, root);
    return root;
}

bool AXSubtree::isStaticText() const { return role == AXRole::staticText; }
bool AXSubtree::isImage() const { return role == AXRole::image; }
bool AXSubtree::isGroup() const { return role == AXRole::group; }
bool AXSubtree::isButton() const { return role.endsWith(QLatin1String("Button")); }

} // namespace velmora
