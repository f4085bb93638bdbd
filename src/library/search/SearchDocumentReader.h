#pragma once

#include "library/search/IndexedEntry.h"
#include "library/search/SearchEntryKind.h"

#include <QList>
#include <QString>

namespace velmora {

// Cuts the files of a meeting into the pieces the search index holds. Reads whatever the
// files contain now, including files edited by hand: lines it does not recognise are skipped,
// never an error.
class SearchDocumentReader {
public:
    static QList<IndexedEntry> read(SearchEntryKind kind, const QString& content);

    // Markdown ("**[09:30:05] Alice:**" headings, one paragraph per utterance) and plain
    // text ("[09:30:05] Alice: text" lines) alike, so a file is read whatever its extension.
    static QList<IndexedEntry> readTranscript(const QString& content);
    // One entry per paragraph (blank lines separate paragraphs).
    static QList<IndexedEntry> readNotes(const QString& content);
    // One entry per "- " item of the sections Topics, Action Items, Decisions and Attendees.
    static QList<IndexedEntry> readSummary(const QString& content);
};

} // namespace velmora
