#include "sources/BrowserCaptionReader.h"

#include "sources/AXHelpers.h"

namespace velmora {

BrowserCaptionReader::BrowserCaptionReader(const ReaderEnvironment& environment, qint32 browserPID,
                                           Duration pollInterval, const QLoggingCategory& log,
                                           QString areaDescription)
    : CaptionPollingReader(environment, pollInterval, log), browserPID_(browserPID),
      areaDescription_(std::move(areaDescription)) {}

AXElement BrowserCaptionReader::createAppElement() {
    // Never fails: a browser that is gone shows up in the loop as the application gone.
    qCInfo(log_, "AX trusted, connecting to browser PID %d", browserPID_);
    return env_.accessibility.applicationElement(browserPID_);
}

std::optional<AXElement> BrowserCaptionReader::findContainer(const AXElement& appElement) const {
    const auto area = BrowserCaptionTarget::description(areaDescription_);
    const auto found = env_.accessibility.findWebTargets(appElement, {area}, maxDepth);
    if (const auto it = found.constFind(area); it != found.constEnd())
        return *it;
    return std::nullopt;
}

bool BrowserCaptionReader::isCacheValid(const AXElement& container) const {
    const auto text = AXHelpers::description(env_.accessibility, container);
    return text && AXHelpers::trimmedDescription(*text) == areaDescription_;
}

} // namespace velmora
