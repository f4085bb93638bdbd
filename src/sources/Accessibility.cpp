#include "sources/Accessibility.h"

#include "sources/AXHelpers.h"

namespace velmora {

QHash<BrowserCaptionTarget, AXElement>
Accessibility::findWebTargets(const AXElement& application,
                              const QList<BrowserCaptionTarget>& targets, int maxDepth) {
    return AXHelpers::findWebTargets(*this, application, targets, 0, maxDepth);
}

} // namespace velmora
