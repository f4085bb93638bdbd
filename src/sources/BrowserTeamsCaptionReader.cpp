#include "sources/BrowserTeamsCaptionReader.h"

#include "capture/Clock.h"
#include "sources/AXHelpers.h"
#include "sources/AXNames.h"
#include "sources/Logging.h"

namespace velmora {

namespace {
constexpr int maxLineDepth = 9;
} // namespace

BrowserTeamsCaptionReader::BrowserTeamsCaptionReader(const ReaderEnvironment& environment,
                                                     qint32 browserPID, Duration pollInterval)
    : BrowserCaptionReader(environment, browserPID, pollInterval, lcBrowserTeamsReader(),
                           QStringLiteral("Live Captions")) {}

void BrowserTeamsCaptionReader::collectEntries(const AXElement& node,
                                               QList<RawBrowserTeamsEntry>& into, int depth) const {
    if (depth > maxLineDepth)
        return;
    Accessibility& ax = env_.accessibility;
    for (const AXElement& child : AXHelpers::children(ax, node)) {
        if (AXHelpers::role(ax, child) != AXRole::group)
            continue;
        QList<AXElement> texts;
        for (const AXElement& inner : AXHelpers::children(ax, child)) {
            if (AXHelpers::role(ax, inner) == AXRole::staticText)
                texts.append(inner);
        }
        if (texts.size() > 2) {
            QList<AXElement> nonBlank;
            for (const AXElement& text : texts) {
                const auto value = AXHelpers::stringValue(ax, text);
                if (!value || !value->trimmed().isEmpty())
                    nonBlank.append(text);
            }
            if (nonBlank.size() == 2)
                texts = nonBlank;
        }
        if (texts.size() != 2) {
            collectEntries(child, into, depth + 1);
            continue;
        }
        const QString text = AXHelpers::stringValue(ax, texts[1]).value_or(QString());
        if (!text.isEmpty())
            into.append({AXHelpers::stringValue(ax, texts[0]).value_or(QString()), text});
    }
}

CaptionSnapshot BrowserTeamsCaptionReader::extractEntries(const AXElement& container) const {
    const QDateTime now = env_.clock.now();
    QList<RawBrowserTeamsEntry> raw;
    collectEntries(container, raw);
    return parseBrowserMeetCaptions(raw, now);
}

} // namespace velmora
