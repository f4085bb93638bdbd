#pragma once

#include <QString>
#include <QTime>

#include <optional>

namespace velmora {

// One searchable piece of a meeting file: an utterance of a transcript, a paragraph of the
// notes or an item of the summary. `ordinal` counts the pieces of the file from 0, so a
// window can scroll to the utterance a result names.
struct IndexedEntry {
    int ordinal = 0;
    QString speaker; // transcripts only
    std::optional<QTime> time; // the utterance's time of day, as written in the transcript
    QString section; // summaries: "Topics", "Action Items", "Decisions", "Attendees"
    QString text;

    bool operator==(const IndexedEntry& other) const = default;
};

} // namespace velmora
