#pragma once

#include "capture/Scheduler.h"
#include "library/MeetingRecord.h"

#include <QString>

#include <functional>
#include <optional>

namespace velmora {

class MeetingNotesProvider;

// Saves a meeting's notes one second after the last edit, and at once when the meeting is
// left. Text that equals what was loaded or last saved is never written; a failed save keeps
// the text unsaved, so the next edit (or leaving) tries again. Main thread.
class NotesAutoSaver {
public:
    static constexpr Duration delay = std::chrono::seconds(1);
    using UpdateRecord = std::function<void(const MeetingRecord&)>;

    NotesAutoSaver(Scheduler& scheduler, MeetingNotesProvider& notes, UpdateRecord updateRecord);
    ~NotesAutoSaver();

    // Starts on a meeting whose notes read `text`; the previous meeting is saved first.
    void begin(const MeetingRecord& record, const QString& text);
    void edited(const QString& text);
    // Saves now if anything is unsaved; the meeting stays current.
    void flush();
    // Saves now and forgets the meeting.
    void leave();
    // Forgets the meeting and what was not saved (the meeting is being deleted).
    void discard();

    bool hasUnsavedChanges() const { return record_ && text_ != savedText_; }

private:
    void cancelTimer();

    Scheduler& scheduler_;
    MeetingNotesProvider& notes_;
    UpdateRecord updateRecord_;
    std::optional<MeetingRecord> record_;
    QString text_;
    QString savedText_;
    std::optional<Scheduler::TimerId> timer_;
};

} // namespace velmora
