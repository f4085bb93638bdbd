#pragma once

#include "library/MeetingRecord.h"

#include <QString>

#include <optional>

namespace velmora {

// The user's notes of a meeting, one Markdown file beside its transcript. Main thread.
class MeetingNotesProvider {
public:
    virtual ~MeetingNotesProvider() = default;

    // Empty when there are none or they cannot be read.
    virtual QString loadNotes(const MeetingRecord& record) = 0;
    // The notes file written, or nullopt when the meeting has no transcript or the write
    // failed (the caller keeps the notes unsaved and tries again).
    virtual std::optional<QString> saveNotes(const QString& text, const MeetingRecord& record) = 0;
};

} // namespace velmora
