#pragma once

#include "library/MeetingNotesProvider.h"

namespace velmora {

// Notes live in "<transcript name without its last extension>-notes.md" next to the transcript.
class MeetingNotesManager final : public MeetingNotesProvider {
public:
    static QString notesPath(const QString& transcriptPath);

    QString loadNotes(const MeetingRecord& record) override;
    std::optional<QString> saveNotes(const QString& text, const MeetingRecord& record) override;
};

} // namespace velmora
