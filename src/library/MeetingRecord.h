#pragma once

#include "capture/CaptionSource.h"

#include <QDateTime>
#include <QString>
#include <QUuid>

#include <optional>

namespace velmora {

// One captured meeting and the files that belong to it. Lists and selections identify a
// record by `id` alone; `==` compares every field.
struct MeetingRecord {
    QUuid id;
    QDateTime date; // start of the meeting
    double duration = 0; // seconds; 0 until the capture is finalised
    CaptionSource source = CaptionSource::teams;
    // Absolute paths; every file lives directly in the history's directory.
    std::optional<QString> transcriptPath;
    std::optional<QString> summaryPath;
    std::optional<QString> notesPath;

    bool operator==(const MeetingRecord& other) const = default;
};

} // namespace velmora
