#pragma once

#include <QString>

namespace velmora {

namespace AXAttribute {
inline const QString children = QStringLiteral("AXChildren");
inline const QString role = QStringLiteral("AXRole");
inline const QString value = QStringLiteral("AXValue");
inline const QString description = QStringLiteral("AXDescription");
inline const QString title = QStringLiteral("AXTitle");
inline const QString subrole = QStringLiteral("AXSubrole");
inline const QString windows = QStringLiteral("AXWindows");
inline const QString domClassList = QStringLiteral("AXDOMClassList");
inline const QString domIdentifier = QStringLiteral("AXDOMIdentifier");
inline const QString chromeNodeId = QStringLiteral("ChromeAXNodeId");
inline const QString enhancedUserInterface = QStringLiteral("AXEnhancedUserInterface");
inline const QString manualAccessibility = QStringLiteral("AXManualAccessibility");
} // namespace AXAttribute

namespace AXRole {
inline const QString staticText = QStringLiteral("AXStaticText");
inline const QString group = QStringLiteral("AXGroup");
inline const QString table = QStringLiteral("AXTable");
inline const QString row = QStringLiteral("AXRow");
inline const QString cell = QStringLiteral("AXCell");
inline const QString image = QStringLiteral("AXImage");
inline const QString window = QStringLiteral("AXWindow");
inline const QString webArea = QStringLiteral("AXWebArea");
inline const QString application = QStringLiteral("AXApplication");
} // namespace AXRole

} // namespace velmora
