#pragma once

#include "capture/CaptionEntry.h"

#include <QList>
#include <QString>

namespace velmora {

// A caption line as read from a web client that shows speaker names (Meet, Teams).
struct RawBrowserMeetEntry {
    QString speaker; // may be empty
    QString text;

    bool operator==(const RawBrowserMeetEntry& other) const {
        return speaker == other.speaker && text == other.text;
    }
};

// Lines without text are dropped, a missing speaker becomes "Unknown"; order is kept.
CaptionSnapshot parseBrowserMeetCaptions(const QList<RawBrowserMeetEntry>& raw,
                                         const QDateTime& timestamp);

} // namespace velmora
