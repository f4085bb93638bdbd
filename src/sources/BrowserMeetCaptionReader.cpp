#include "sources/BrowserMeetCaptionReader.h"

#include "capture/Clock.h"
#include "sources/CaptionItems.h"
#include "sources/Logging.h"

namespace velmora {

BrowserMeetCaptionReader::BrowserMeetCaptionReader(const ReaderEnvironment& environment,
                                                   qint32 browserPID, Duration pollInterval)
    : BrowserCaptionReader(environment, browserPID, pollInterval, lcBrowserMeetReader(),
                           QStringLiteral("Captions")) {}

QList<RawBrowserMeetEntry> BrowserMeetCaptionReader::collectRawEntries(const AXElement& container) const {
    // Chromium does not show an avatar without a description, so pruned blocks may lie in the
    // area as name part, text part, name part … with nothing else to tell them apart.
    return CaptionItems::readLines(AXSubtree::read(env_.accessibility, container, areaReadDepth),
                                   CaptionItems::LooseParts::nameThenText);
}

CaptionSnapshot BrowserMeetCaptionReader::extractEntries(const AXElement& container) const {
    const QDateTime now = env_.clock.now();
    return parseBrowserMeetCaptions(collectRawEntries(container), now);
}

} // namespace velmora
