#pragma once

#include <QList>
#include <QString>

#include <atspi/atspi-constants.h>

namespace velmora {

// AT-SPI roles in the AX vocabulary the caption sources speak.
namespace AtspiRoles {

// `isLeaf` only matters for `text`, which reads as static text when it has no children.
QString axRole(AtspiRole role, bool isLeaf);
// Roles that read as AXGroup: the containers web pages and toolkits build layouts from.
bool isGroup(AtspiRole role);
// Roles whose text lives in their name rather than in a Text interface.
bool isStaticText(AtspiRole role, bool isLeaf);
// The application's children that count as its windows.
bool isWindow(AtspiRole role);

} // namespace AtspiRoles

} // namespace velmora
