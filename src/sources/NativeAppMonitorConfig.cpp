#include "sources/NativeAppMonitorConfig.h"

#include "sources/ApplicationIdentifiers.h"
#include "sources/AXHelpers.h"
#include "sources/AXNames.h"
#include "sources/Logging.h"
#include "sources/TeamsCaptionReader.h"
#include "sources/ZoomCaptionReader.h"

namespace velmora {

NativeAppMonitorConfig NativeAppMonitorConfig::teams() {
    return {{ApplicationIdentifiers::teamsBundleID},
            QStringLiteral("Teams"),
            [](Accessibility& ax, const AXElement& app) {
                return TeamsCaptionReader::findCaptionGroup(ax, app).has_value();
            },
            &NativeAppMonitorConfig::logTeamsWindows};
}

NativeAppMonitorConfig NativeAppMonitorConfig::zoom() {
    return {ApplicationIdentifiers::zoomBundleIDs(),
            QStringLiteral("Zoom"),
            [](Accessibility& ax, const AXElement& app) {
                return ZoomCaptionReader::findCaptionTable(ax, app).has_value();
            },
            {}};
}

void NativeAppMonitorConfig::logTeamsWindows(Accessibility& ax, const AXElement& appElement,
                                             qint64 pollCount) {
    if (pollCount % 10 != 0)
        return;
    const AXReadResult read = ax.copyAttributeValue(appElement, AXAttribute::windows);
    const auto* windows = std::get_if<QList<AXElement>>(&read.value);
    if (read.error != AXErrorCode::success || !windows)
        return;
    QStringList texts;
    for (const AXElement& window : *windows) {
        texts.append(QStringLiteral("%1 [%2]").arg(
            AXHelpers::title(ax, window).value_or(QStringLiteral("(no title)")),
            AXHelpers::textAttribute(ax, window, AXAttribute::subrole).value_or(QString())));
    }
    qCInfo(lcMonitor, "Teams windows (%lld): %s", qint64(windows->size()),
           qUtf8Printable(texts.join(QStringLiteral(", "))));
}

} // namespace velmora
