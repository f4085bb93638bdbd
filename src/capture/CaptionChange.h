#pragma once

#include "capture/CaptionEntry.h"

#include <optional>

namespace velmora {

// A line of a snapshot that is new, or that continues a line of the snapshot before with a
// different text.
struct CaptionChange {
    CaptionEntry entry;
    // The text the line had in the snapshot before, when it continues a line of it.
    std::optional<QString> previousText;
    // That line and this one are the same line (TranscriptAssembler::sameLine), not merely the
    // lines at one place.
    bool sameLineAsPrevious = false;
    // A later line of the snapshot is the same line as one of the snapshot before: the lines
    // around this one kept their places.
    bool anchored = false;
    // No later line of the snapshot, and no line that just vanished below its line, has its
    // speaker: it is its speaker's latest line.
    bool newest = true;
    // The source's lines may show only their last part and scroll on (a rolling line). When
    // they cannot, a line that gained words in front was revised there; it did not scroll back.
    bool linesCanScroll = true;
    // The source may show a speaker's next sentence in the place of their previous line. When
    // it cannot, a line rewritten in its place is that line revised.
    bool reusesLinePlaces = true;
    // A later line of the snapshot has its speaker (not only one that vanished below it).
    bool laterLineShown = false;
    // An earlier line of the snapshot is the same line as one of the snapshot before: the caption
    // area was not cleared.
    bool anchoredAbove = false;
};

} // namespace velmora
