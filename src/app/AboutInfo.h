#pragma once

#include <QString>
#include <QUrl>

#include <optional>

namespace velmora::AboutInfo {

QUrl websiteURL();
QUrl feedbackURL();
QUrl privacyURL();
QUrl supportEmailURL();
// Where "Check for Updates..." sends the user: there is no self-updater.
QUrl releasesURL();

// "Version unknown", "Version 1.2" or "Version 1.2 (45)".
QString versionString(const std::optional<QString>& version, const std::optional<QString>& build);

} // namespace velmora::AboutInfo
