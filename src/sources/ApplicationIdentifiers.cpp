#include "sources/ApplicationIdentifiers.h"

#include <QHash>

namespace velmora::ApplicationIdentifiers {

namespace {

const QHash<QString, QStringList>& linuxTable() {
    static const QHash<QString, QStringList> table = {
        {QStringLiteral("com.microsoft.edgemac"), {QStringLiteral("msedge")}},
        {QStringLiteral("com.google.Chrome"), {QStringLiteral("chrome")}},
        {QStringLiteral("org.chromium.Chromium"),
         {QStringLiteral("chromium"), QStringLiteral("chromium-browser")}},
        {QStringLiteral("com.brave.Browser"), {QStringLiteral("brave")}},
        {QStringLiteral("com.vivaldi.Vivaldi"), {QStringLiteral("vivaldi-bin")}},
        {QStringLiteral("com.operasoftware.Opera"), {QStringLiteral("opera")}},
        {QStringLiteral("us.zoom.xos"), {QStringLiteral("zoom")}},
    };
    return table;
}

} // namespace

QStringList chromiumBundleIDs() {
    // Chromium itself is what Linux users (and our tests) run; it follows Chrome.
    return {QStringLiteral("com.microsoft.edgemac"), QStringLiteral("com.google.Chrome"),
            QStringLiteral("org.chromium.Chromium"), QStringLiteral("company.thebrowser.Browser"),
            QStringLiteral("com.brave.Browser"),     QStringLiteral("com.vivaldi.Vivaldi"),
            QStringLiteral("com.operasoftware.Opera"), QStringLiteral("app.zen-browser.zen")};
}

QStringList zoomBundleIDs() {
    return {QStringLiteral("us.zoom.xos"), QStringLiteral("us.zoom.ZoomPlayer"),
            QStringLiteral("zoom.us")};
}

QStringList linuxIdentifiers(const QString& bundleID) { return linuxTable().value(bundleID); }

bool matches(const QString& bundleID, const QString& runningIdentifier) {
    return runningIdentifier == bundleID || linuxTable().value(bundleID).contains(runningIdentifier);
}

} // namespace velmora::ApplicationIdentifiers
