#pragma once

#include "sources/BrowserCaptionReader.h"
#include "sources/RawBrowserZoomEntry.h"

#include <QHash>

namespace velmora {

// Reads the live transcription of the Zoom web client in one browser process. The caption box
// has the class "live-transcription-subtitle__box"; its lines are the nodes with the DOM id
// "live-transcription-subtitle" in it (children, or inside a wrapper or three of their own),
// and a line's text is all of its non-blank text, however wrapped. The client shows no speaker
// names (a name shown with an avatar is not read as text), so speakers are told
// apart by the browser's identifier of each line's node: "Speaker 1", "Speaker 2" … in order of
// first appearance, for the reader's life.
//
// Chromium on Linux may drop the box (a class-only wrapper); its lines then sit in whatever
// node holds the box. With no box in the tree, the container is the first node holding such a
// line, and it stays the container only while it still holds one.
class BrowserZoomCaptionReader final : public BrowserCaptionReader {
public:
    BrowserZoomCaptionReader(const ReaderEnvironment& environment, qint32 browserPID,
                             Duration pollInterval = std::chrono::seconds(1));

    QList<RawBrowserZoomEntry> collectRawEntries(const AXElement& container) const;
    // The client writes a speaker's next sentence into the element of their previous line.
    bool reusesLinePlaces() const override { return true; }

protected:
    std::optional<AXElement> findContainer(const AXElement& appElement) const override;
    CaptionSnapshot extractEntries(const AXElement& container) const override;
    bool isCacheValid(const AXElement& container) const override;
    CaptionSnapshot applyReaderState(const CaptionSnapshot& entries) override;
    void resetReaderState() override;

private:
    void collectLines(const AXElement& node, QList<RawBrowserZoomEntry>& into, int depth,
                      int maxDepth) const;

    QHash<QString, QString> speakerMap_;
    int nextSpeakerNumber_ = 1;
};

} // namespace velmora
