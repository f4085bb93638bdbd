#include "app/AboutInfo.h"

namespace velmora::AboutInfo {

QUrl websiteURL() { return QUrl(QStringLiteral("https://codeberg.org/velmora/velmora")); }

QUrl feedbackURL() { return QUrl(QStringLiteral("https://codeberg.org/velmora/velmora/issues")); }

QUrl privacyURL() {
    return QUrl(QStringLiteral("https://codeberg.org/velmora/velmora/src/branch/main/PRIVACY.md"));
}

QUrl supportEmailURL() { return QUrl(QStringLiteral("mailto:support@velmora.org")); }

QUrl releasesURL() { return QUrl(QStringLiteral("https://codeberg.org/velmora/velmora/releases")); }

QString versionString(const std::optional<QString>& version, const std::optional<QString>& build) {
    if (!version)
        return QStringLiteral("Version unknown");
    if (!build)
        return QStringLiteral("Version ") + *version;
    return QStringLiteral("Version %1 (%2)").arg(*version, *build);
}

} // namespace velmora::AboutInfo
