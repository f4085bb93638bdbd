#pragma once

#include <QString>
#include <QStringList>

namespace velmora {

// The meeting applications and browsers are named by their bundle identifiers everywhere in
// the logic; on Linux a running application is known by the name of its executable. This table
// ties the two together.
namespace ApplicationIdentifiers {

// Supported Chromium-family browsers in order of preference.
QStringList chromiumBundleIDs();
inline const QString teamsBundleID = QStringLiteral("com.microsoft.teams2");
QStringList zoomBundleIDs();

// The executable names under which the application of `bundleID` runs on Linux.
QStringList linuxIdentifiers(const QString& bundleID);
// Whether a running application's identifier (a bundle identifier or an executable name)
// belongs to `bundleID`.
bool matches(const QString& bundleID, const QString& runningIdentifier);

} // namespace ApplicationIdentifiers

} // namespace velmora
