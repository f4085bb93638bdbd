#include "sources/RawBrowserMeetEntry.h"

namespace velmora {

CaptionSnapshot parseBrowserMeetCaptions(const QList<RawBrowserMeetEntry>& raw,
                                         const QDateTime& timestamp) {
    CaptionSnapshot entries;
    for (const RawBrowserMeetEntry& line : raw) {
        if (line.text.isEmpty())
            continue;
        entries.append({timestamp, line.speaker.isEmpty() ? QStringLiteral("Unknown") : line.speaker,
                        line.text});
    }
    return entries;
}

} // namespace velmora
