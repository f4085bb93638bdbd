#include "sources/BrowserMeetCaptionReader.h"

#include "capture/Clock.h"
#include "sources/AXHelpers.h"
#include "sources/AXNames.h"
#include "sources/Logging.h"

namespace velmora {

namespace {
constexpr int speakerSearchDepth = 5;
constexpr int textSearchDepth = 4;
} // namespace

BrowserMeetCaptionReader::BrowserMeetCaptionReader(const ReaderEnvironment& environment,
                                                   qint32 browserPID, Duration pollInterval)
    : BrowserCaptionReader(environment, browserPID, pollInterval, lcBrowserMeetReader(),
                           QStringLiteral("Captions")) {}

QList<RawBrowserMeetEntry> BrowserMeetCaptionReader::collectRawEntries(const AXElement& container) const {
    Accessibility& ax = env_.accessibility;
    QList<RawBrowserMeetEntry> raw;
    auto addLine = [&](const AXElement& namePart, const AXElement& textPart) {
        const QString text = collectAllStaticText(textPart);
        if (text.isEmpty())
            return;
        raw.append({AXHelpers::findFirstStaticText(ax, namePart, speakerSearchDepth).value_or(QString()),
                    text});
    };
    std::optional<AXElement> pendingNamePart;
    for (const AXElement& child : AXHelpers::children(ax, container)) {
        if (AXHelpers::role(ax, child) != AXRole::group)
            continue;
        QList<AXElement> groups;
        for (const AXElement& inner : AXHelpers::children(ax, child)) {
            if (AXHelpers::role(ax, inner) == AXRole::group)
                groups.append(inner);
        }
        if (groups.size() >= 2) {
            pendingNamePart.reset();
            addLine(groups[0], groups[1]); // groups beyond the second are ignored
        } else if (groups.isEmpty()) {
            if (pendingNamePart)
                addLine(*std::exchange(pendingNamePart, std::nullopt), child);
            else
                pendingNamePart = child;
        } else {
            pendingNamePart.reset(); // one inner group: neither a line nor a part of one
        }
    }
    return raw;
}

QString BrowserMeetCaptionReader::collectAllStaticText(const AXElement& node, int depth) const {
    if (depth > textSearchDepth)
        return QString();
    Accessibility& ax = env_.accessibility;
    QStringList pieces;
    for (const AXElement& child : AXHelpers::children(ax, node)) {
        if (AXHelpers::role(ax, child) == AXRole::staticText) {
            if (auto value = AXHelpers::stringValue(ax, child)) {
                pieces.append(*value);
                continue;
            }
        }
        const QString below = collectAllStaticText(child, depth + 1);
        if (!below.isEmpty())
            pieces.append(below);
    }
    QStringList kept;
    for (const QString& piece : pieces) {
        const QString trimmed = AXHelpers::trimmedDescription(piece);
        if (!trimmed.isEmpty())
            kept.append(trimmed);
    }
    return kept.join(QLatin1Char(' '));
}

CaptionSnapshot BrowserMeetCaptionReader::extractEntries(const AXElement& container) const {
    const QDateTime now = env_.clock.now();
    return parseBrowserMeetCaptions(collectRawEntries(container), now);
}

} // namespace velmora
