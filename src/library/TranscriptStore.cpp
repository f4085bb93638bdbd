#include "library/TranscriptStore.h"

namespace velmora {

void TranscriptStore::setEntries(const QList<DisplayEntry>& entries) {
    if (entries == entries_)
        return;
    entries_ = entries;
    emit entriesReset();
}

void TranscriptStore::append(const QList<DisplayEntry>& entries) {
    const qsizetype first = entries_.size();
    entries_.append(entries);
    emit entriesAppended(first, entries.size());
}

void TranscriptStore::patch(qsizetype index, const DisplayEntry& entry) {
    if (index < 0 || index >= entries_.size())
        return;
    entries_[index] = entry;
    emit entryPatched(index);
}

} // namespace velmora
