#include "sources/BrowserZoomCaptionReader.h"

#include "capture/Clock.h"
#include "sources/AXHelpers.h"
#include "sources/AXNames.h"
#include "sources/Logging.h"

namespace velmora {

namespace {
const QString boxClass = QStringLiteral("live-transcription-subtitle__box");
const QString lineIdentifier = QStringLiteral("live-transcription-subtitle");
constexpr int lineTextDepth = 3;
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

QList<RawBrowserZoomEntry> BrowserZoomCaptionReader::collectRawEntries(const AXElement& container) const {
    Accessibility& ax = env_.accessibility;
    QList<RawBrowserZoomEntry> raw;
    for (const AXElement& child : AXHelpers::children(ax, container)) {
        if (AXHelpers::textAttribute(ax, child, AXAttribute::domIdentifier) != lineIdentifier)
            continue;
        const auto nodeId = AXHelpers::textAttribute(ax, child, AXAttribute::chromeNodeId);
        if (!nodeId)
            continue;
        const auto text = AXHelpers::findFirstStaticText(ax, child, lineTextDepth);
        if (!text || text->isEmpty())
            continue;
        raw.append({*nodeId, *text});
    }
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
