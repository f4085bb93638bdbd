#include "sources/BrowserZoomCaptionReader.h"

#include "capture/Clock.h"
#include "sources/AXHelpers.h"
#include "sources/AXNames.h"
#include "sources/CaptionItems.h"
#include "sources/Logging.h"

namespace velmora {

namespace {
const QString boxClass = QStringLiteral("live-transcription-subtitle__box");
const QString lineIdentifier = QStringLiteral("live-transcription-subtitle");
// Lines may sit in wrappers of their own below the box; their text in more.
constexpr int lineSearchDepth = 4;
constexpr int lineTextDepth = 8;
} // namespace

BrowserZoomCaptionReader::BrowserZoomCaptionReader(const ReaderEnvironment& environment,
                                                   qint32 browserPID, Duration pollInterval)
    : BrowserCaptionReader(environment, browserPID, pollInterval, lcBrowserZoomReader()) {}

std::optional<AXElement> BrowserZoomCaptionReader::findContainer(const AXElement& appElement) const {
    const auto box = BrowserCaptionTarget::domClass(boxClass);
    const auto lineHolder = BrowserCaptionTarget::childDOMIdentifier(lineIdentifier);
    const auto found = env_.accessibility.findWebTargets(appElement, {box, lineHolder}, maxDepth);
    if (found.contains(box))
        return found.value(box);
    if (found.contains(lineHolder))
        return found.value(lineHolder);
    return std::nullopt;
}

void BrowserZoomCaptionReader::collectLines(const AXElement& node, QList<RawBrowserZoomEntry>& into,
                                            int depth, int maxDepth) const {
    Accessibility& ax = env_.accessibility;
    for (const AXElement& child : AXHelpers::children(ax, node)) {
        if (AXHelpers::textAttribute(ax, child, AXAttribute::domIdentifier) != lineIdentifier) {
            if (depth + 1 < maxDepth)
                collectLines(child, into, depth + 1, maxDepth);
            continue;
        }
        const auto nodeId = AXHelpers::textAttribute(ax, child, AXAttribute::chromeNodeId);
        if (!nodeId)
            continue;
        const QString text = CaptionItems::lineText(AXSubtree::read(ax, child, lineTextDepth));
        if (!text.isEmpty())
            into.append({*nodeId, text});
    }
}

QList<RawBrowserZoomEntry> BrowserZoomCaptionReader::collectRawEntries(const AXElement& container) const {
    // Inside the box, lines may have wrappers; a node found only by holding lines may be the
    // whole page, so there only its children are lines.
    const auto classes = AXHelpers::domClassList(env_.accessibility, container);
    const bool isBox = classes && classes->contains(boxClass);
    QList<RawBrowserZoomEntry> raw;
    collectLines(container, raw, 0, isBox ? lineSearchDepth : 1);
    return raw;
}

CaptionSnapshot BrowserZoomCaptionReader::extractEntries(const AXElement& container) const {
    // One time for the whole poll, as for every reader: the lines were all on screen at once.
    const QDateTime now = env_.clock.now();
    CaptionSnapshot entries;
    for (const RawBrowserZoomEntry& line : collectRawEntries(container))
        entries.append({now, line.nodeId, line.text});
    return entries;
}

bool BrowserZoomCaptionReader::isCacheValid(const AXElement& container) const {
    Accessibility& ax = env_.accessibility;
    const auto classes = AXHelpers::domClassList(ax, container);
    if (!classes)
        return false;
    if (classes->contains(boxClass))
        return true;
    // Found through its lines: it is the caption container only while it holds one.
    return AXHelpers::matchesTarget(ax, container, BrowserCaptionTarget::childDOMIdentifier(lineIdentifier));
}

CaptionSnapshot BrowserZoomCaptionReader::applyReaderState(const CaptionSnapshot& entries) {
    CaptionSnapshot labelled;
    for (const CaptionEntry& entry : entries) {
        if (entry.text.isEmpty())
            continue;
        auto label = speakerMap_.constFind(entry.speaker);
        if (label == speakerMap_.constEnd())
            label = speakerMap_.insert(entry.speaker,
                                       QStringLiteral("Speaker %1").arg(nextSpeakerNumber_++));
        labelled.append({entry.timestamp, *label, entry.text});
    }
    return labelled;
}

void BrowserZoomCaptionReader::resetReaderState() {
    speakerMap_.clear();
    nextSpeakerNumber_ = 1;
}

} // namespace velmora
