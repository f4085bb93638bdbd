#pragma once

#include "sources/BrowserCaptionReader.h"
#include "sources/RawBrowserMeetEntry.h"

namespace velmora {

using RawBrowserTeamsEntry = RawBrowserMeetEntry;

// Reads the live captions of the Microsoft Teams web client in one browser process. The
// caption area is the group described "Live Captions"; a caption line is a group, at any depth
// down to ten levels, holding exactly two static texts: speaker and text.
//
// Chromium on Linux turns the white space between two inline elements into a static text of
// its own, so a line may read speaker, blank, text: when a group has more than two static
// texts and exactly two of them are not blank, those two are the line.
class BrowserTeamsCaptionReader final : public BrowserCaptionReader {
public:
    BrowserTeamsCaptionReader(const ReaderEnvironment& environment, qint32 browserPID,
                              Duration pollInterval = std::chrono::seconds(1));

    void collectEntries(const AXElement& node, QList<RawBrowserTeamsEntry>& into, int depth = 0) const;

protected:
    CaptionSnapshot extractEntries(const AXElement& container) const override;
};

} // namespace velmora
