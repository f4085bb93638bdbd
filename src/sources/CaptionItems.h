#pragma once

#include "sources/AXSubtree.h"
#include "sources/RawBrowserMeetEntry.h"

#include <QList>

namespace velmora {

// Reads caption lines by what they show rather than by one nesting: the web clients change
// their markup often, and Chromium keeps or drops wrappers depending on how each is styled.
//
// A line shows an optional avatar (an image, sometimes named after the speaker), the
// speaker's name, then the caption text, in reading order, inside any number of wrappers.
// Lines are found by walking down from the caption area: a node with a single child holding
// text is a wrapper; a node of which two or more children each read as a whole line (a
// speaker and a text) is a list of lines; any other node is read as lines in reading order,
// where an image that begins a part after some text begins the next line (the avatars of
// lines whose own wrappers Chromium dropped).
namespace CaptionItems {

// How to read parts of several lines lying side by side in the area with no avatar between
// them to tell where a line begins.
enum class LooseParts {
    oneLine,      // they are one line
    nameThenText, // each line is a name part and a text part, in turn
};

// The lines below `area` (a caption area read to enough depth), in reading order. Loose
// texts and buttons directly in the area are not read; lines without text are left out.
QList<RawBrowserMeetEntry> readLines(const AXSubtree& area, LooseParts loose = LooseParts::oneLine);

// The caption text below one line node: its non-blank texts in reading order, joined by
// single blanks, leaving out a speaker name that repeats its avatar's name.
QString lineText(const AXSubtree& line);

} // namespace CaptionItems

} // namespace velmora
