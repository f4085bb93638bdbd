#pragma once

#include "sources/BrowserCaptionTarget.h"
#include "sources/CaptionPollingReader.h"

namespace velmora {

// What the three web-client readers share: one browser process, found through its process id,
// searched only inside its web content, given up after 5 polls without a container, no call
// windows to count. By default the caption area is the group described `areaDescription`
// (Meet's "Captions", Teams' "Live Captions").
class BrowserCaptionReader : public CaptionPollingReader {
public:
    static constexpr int maxDepth = 40;
    // How far below the caption area the lines of Meet and Teams are read.
    static constexpr int areaReadDepth = 24;
    qint32 browserPID() const { return browserPID_; }
    // The web clients show each line from its first word; old lines leave as a whole.
    bool linesCanScroll() const override { return false; }
    // A speaker's next sentence gets a line of its own (Zoom's web client says otherwise).
    bool reusesLinePlaces() const override { return false; }

protected:
    BrowserCaptionReader(const ReaderEnvironment& environment, qint32 browserPID,
                         Duration pollInterval, const QLoggingCategory& log,
                         QString areaDescription = QString());

    AXElement createAppElement() override;
    std::optional<AXElement> findContainer(const AXElement& appElement) const override;
    // Still described as the caption area (trimmed of blanks).
    bool isCacheValid(const AXElement& container) const override;
    // Meet and Teams keep no state of their own: the lines go out as read.
    CaptionSnapshot applyReaderState(const CaptionSnapshot& entries) override { return entries; }
    void resetReaderState() override {}
    qint64 containerGoneThreshold() const override { return 5; }
    bool checksCallWindows() const override { return false; }

private:
    const qint32 browserPID_;
    const QString areaDescription_;
};

} // namespace velmora
