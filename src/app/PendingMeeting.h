#pragma once

#include "capture/CaptionEntry.h"
#include "capture/CaptionSource.h"
#include "capture/TranscriptWriting.h"
#include "library/MeetingHistoryProvider.h"

#include <QDateTime>
#include <QUuid>

#include <memory>
#include <optional>

namespace velmora {

// The meeting whose transcript is open: being captured, or waiting in its cooldown for the
// captions to come back. Everything its finalisation needs travels with it, so finishing it
// never reads state that a newer meeting may have replaced.
struct PendingMeeting {
    std::shared_ptr<TranscriptWriting> writer;
    CaptionSource source;
    QDateTime startTime;
    // The record and the history it was added to (the history of the folder the transcript
    // went to, even when the output folder changed since). Absent until the file exists.
    std::optional<QUuid> recordId;
    std::shared_ptr<MeetingHistoryProvider> history;
    // When the captions ended; the meeting's duration ends there, not at the cooldown's end.
    std::optional<QDateTime> endTime;
    // What the last session read, so that a resumed session does not write it again.
    CaptionSnapshot lastSnapshot;
    // Entries the transcript file refused at the end of a session (an unwritable folder, a
    // full disk): offered to it again, and kept elsewhere if it still refuses them.
    QList<CaptionEntry> unsaved;

    double durationAt(const QDateTime& now) const {
        return double(startTime.msecsTo(endTime.value_or(now))) / 1000.0;
    }
};

} // namespace velmora
