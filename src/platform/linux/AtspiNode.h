#pragma once

#include "sources/AXElement.h"

#include <QtGlobal>

typedef struct _AtspiAccessible AtspiAccessible;

namespace velmora {

// One AT-SPI object behind an AXElement: either a node (one reference, released on the
// accessibility thread) or an application named by its process, looked up in the registry at
// each read so that an application that registers late, or quits, answers accordingly.
struct AtspiNode final : AXNode {
    AtspiAccessible* object = nullptr;
    qint32 processIdentifier = 0;
};

} // namespace velmora
