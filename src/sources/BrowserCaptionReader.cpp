#include "sources/BrowserCaptionReader.h"

#include "sources/AXHelpers.h"

namespace velmora {

BrowserCaptionReader::BrowserCaptionReader(const ReaderEnvironment& environment, qint32 browserPID,
                                           Duration pollInterval, const QLoggingCategory& log)
    : CaptionPollingReader(environment, pollInterval, log), browserPID_(browserPID) {}

AXElement BrowserCaptionReader::createAppElement() {
    // Never fails: a browser that is gone shows up in the loop as the application gone.
    qCInfo(log_, "AX trusted, connecting to browser PID %d", browserPID_);
    return env_.accessibility.applicationElement(browserPID_);
}

std::optional<AXElement> BrowserCaptionReader::findWebContainer(const AXElement& app,
                                                                const BrowserCaptionTarget& target) const {
    const auto found = env_.accessibility.findWebTargets(app, {target}, maxDepth);
    if (const auto it = found.constFind(target); it != found.constEnd())
        return *it;
    return std::nullopt;
}

bool BrowserCaptionReader::hasDescription(const AXElement& container,
                                          const QString& description) const {
    const auto text = AXHelpers::description(env_.accessibility, container);
    return text && AXHelpers::trimmedDescription(*text) == description;
}

} // namespace velmora
