// The transcript, notes and summary readers of the search index on arbitrary text: entries are
// numbered in order, hold text, and a transcript entry's time is a valid time of day.
#include "FuzzSupport.h"

#include "library/search/SearchDocumentReader.h"

using namespace velmora;
using velmora::fuzz::require;

namespace {

void requireWellFormed(const QList<IndexedEntry>& entries, const QString& content) {
    for (qsizetype i = 0; i < entries.size(); ++i) {
        const IndexedEntry& entry = entries[i];
        require(entry.ordinal == i, "entries out of order");
        require(!entry.text.trimmed().isEmpty(), "an entry without text");
        require(entry.text.size() <= content.size(), "an entry longer than the file");
        if (entry.time)
            require(entry.time->isValid(), "an invalid time of day");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString content = fuzz::utf8(data, size);
    requireWellFormed(SearchDocumentReader::readTranscript(content), content);
    requireWellFormed(SearchDocumentReader::readNotes(content), content);
    requireWellFormed(SearchDocumentReader::readSummary(content), content);
    return 0;
}
