#pragma once

#include "sources/BrowserCaptionReader.h"
#include "sources/RawBrowserMeetEntry.h"

namespace velmora {

using RawBrowserTeamsEntry = RawBrowserMeetEntry;

// Reads the live captions of the Microsoft Teams web client in one browser process. The
// caption area is the group described "Live Captions"; it holds a list of items, each an
// avatar (an image named after the speaker), the author's name and the caption text.
//
// How many wrappers surround the list, the items and their parts changes with the client's
// markup and with what Chromium prunes; items are read by what they show (CaptionItems): the
// speaker is the author text (the avatar's name when the author text is missing), the text is
// the rest of the item's non-blank text in reading order.
class BrowserTeamsCaptionReader final : public BrowserCaptionReader {
public:
    BrowserTeamsCaptionReader(const ReaderEnvironment& environment, qint32 browserPID,
                              Duration pollInterval = std::chrono::seconds(1));

    QList<RawBrowserTeamsEntry> collectRawEntries(const AXElement& container) const;

protected:
    CaptionSnapshot extractEntries(const AXElement& container) const override;
};

} // namespace velmora
