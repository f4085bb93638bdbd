#pragma once

#include "sources/BrowserCaptionReader.h"
#include "sources/RawBrowserMeetEntry.h"

namespace velmora {

// Reads the live captions of the Google Meet web client in one browser process. The caption
// area is the group described "Captions"; each caption line is a group holding a name part and
// a text part.
//
// Chromium on Linux drops wrappers that carry only a class, so a line's own group may be gone
// and its two parts sit directly in the area, one after the other (images and other non-group
// nodes in between are ignored). Such leaf parts — groups without inner groups — are read in
// pairs: name part, then text part; a name part left without its text part is dropped.
class BrowserMeetCaptionReader final : public BrowserCaptionReader {
public:
    BrowserMeetCaptionReader(const ReaderEnvironment& environment, qint32 browserPID,
                             Duration pollInterval = std::chrono::seconds(1));

    QList<RawBrowserMeetEntry> collectRawEntries(const AXElement& container) const;
    // The trimmed static texts below `node` (down to five levels), joined by single blanks.
    QString collectAllStaticText(const AXElement& node, int depth = 0) const;

protected:
    CaptionSnapshot extractEntries(const AXElement& container) const override;
};

} // namespace velmora
