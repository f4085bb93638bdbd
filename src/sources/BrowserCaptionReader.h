#pragma once

#include "capture/CaptionPollingReader.h"
#include "sources/BrowserCaptionTarget.h"

namespace velmora {

// What the three web-client readers share: one browser process, found through its process id,
// searched only inside its web content, given up after 5 polls without a container, no call
// windows to count.
class BrowserCaptionReader : public CaptionPollingReader {
public:
    static constexpr int maxDepth = 40;
    qint32 browserPID() const { return browserPID_; }

protected:
    BrowserCaptionReader(const ReaderEnvironment& environment, qint32 browserPID,
                         Duration pollInterval, const QLoggingCategory& log);

    AXElement createAppElement() override;
    qint64 containerGoneThreshold() const override { return 5; }
    bool checksCallWindows() const override { return false; }

    // The first match of `target` in pre-order within the browser's web content.
    std::optional<AXElement> findWebContainer(const AXElement& app,
                                              const BrowserCaptionTarget& target) const;
    // Whether the container's trimmed description still reads `description`.
    bool hasDescription(const AXElement& container, const QString& description) const;

private:
    const qint32 browserPID_;
};

} // namespace velmora
