#include "sources/BrowserTeamsCaptionReader.h"

#include "capture/Clock.h"
#include "sources/CaptionItems.h"
#include "sources/Logging.h"

namespace velmora {

BrowserTeamsCaptionReader::BrowserTeamsCaptionReader(const ReaderEnvironment& environment,
                                                     qint32 browserPID, Duration pollInterval)
    : BrowserCaptionReader(environment, browserPID, pollInterval, lcBrowserTeamsReader(),
                           QStringLiteral("Live Captions")) {}

QList<RawBrowserTeamsEntry> BrowserTeamsCaptionReader::collectRawEntries(const AXElement& container) const {
    return CaptionItems::readLines(AXSubtree::read(env_.accessibility, container, areaReadDepth));
}

CaptionSnapshot BrowserTeamsCaptionReader::extractEntries(const AXElement& container) const {
    const QDateTime now = env_.clock.now();
    return parseBrowserMeetCaptions(collectRawEntries(container), now);
}

} // namespace velmora
