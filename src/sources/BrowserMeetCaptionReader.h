#pragma once

#include "sources/BrowserCaptionReader.h"
#include "sources/RawBrowserMeetEntry.h"

namespace velmora {

// Reads the live captions of the Google Meet web client in one browser process. The caption
// area is the group described "Captions"; it holds one block per speaker turn (avatar, name,
// then the growing text) and a button or two.
//
// Chromium on Linux drops wrappers that carry only a class, so a block's own group may be gone
// and its parts sit directly in the area, one after the other: each block's avatar first when
// it has a description, else nothing but name part, text part, name part … The blocks are read
// by what they show, whatever wraps them (CaptionItems).
class BrowserMeetCaptionReader final : public BrowserCaptionReader {
public:
    BrowserMeetCaptionReader(const ReaderEnvironment& environment, qint32 browserPID,
                             Duration pollInterval = std::chrono::seconds(1));

    QList<RawBrowserMeetEntry> collectRawEntries(const AXElement& container) const;

protected:
    CaptionSnapshot extractEntries(const AXElement& container) const override;
};

} // namespace velmora
