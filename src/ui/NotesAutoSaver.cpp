#include "ui/NotesAutoSaver.h"

#include "library/MeetingNotesProvider.h"
#include "ui/Logging.h"

namespace velmora {

NotesAutoSaver::NotesAutoSaver(Scheduler& scheduler, MeetingNotesProvider& notes,
                               UpdateRecord updateRecord)
    : scheduler_(scheduler), notes_(notes), updateRecord_(std::move(updateRecord)) {}

NotesAutoSaver::~NotesAutoSaver() { leave(); }

void NotesAutoSaver::begin(const MeetingRecord& record, const QString& text) {
    leave();
    record_ = record;
    text_ = text;
    savedText_ = text;
}

void NotesAutoSaver::edited(const QString& text) {
    if (!record_)
        return;
    text_ = text;
    cancelTimer();
    timer_ = scheduler_.schedule(delay, [this] {
        timer_.reset();
        flush();
    });
}

void NotesAutoSaver::flush() {
    cancelTimer();
    if (!hasUnsavedChanges())
        return;
    const auto path = notes_.saveNotes(text_, *record_);
    if (!path) {
        qCWarning(lcWindow, "Notes not saved; the next edit tries again");
        return;
    }
    savedText_ = text_;
    if (!record_->notesPath) {
        record_->notesPath = *path;
        if (updateRecord_)
            updateRecord_(*record_);
    }
}

void NotesAutoSaver::leave() {
    flush();
    record_.reset();
}

void NotesAutoSaver::discard() {
    cancelTimer();
    record_.reset();
}

void NotesAutoSaver::cancelTimer() {
    if (timer_)
        scheduler_.cancel(*timer_);
    timer_.reset();
}

} // namespace velmora
