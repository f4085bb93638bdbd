#include "capture/SnapshotDiffer.h"

namespace velmora {

void SnapshotDiffer::diff(const CaptionSnapshot& snapshot, SnapshotChanges& into) {
    for (qsizetype i = 0; i < snapshot.size(); ++i) {
        const CaptionEntry& entry = snapshot[i];
        if (i < lastPollEntries_.size() && lastPollEntries_[i].first == entry.speaker) {
            if (lastPollEntries_[i].second == entry.text)
                continue;
            into.revised.insert(into.changes.size());
        }
        into.changes.append(entry);
    }
    lastPollEntries_.clear();
    lastPollEntries_.reserve(snapshot.size());
    for (const CaptionEntry& entry : snapshot)
        lastPollEntries_.append({entry.speaker, entry.text});
}

} // namespace velmora
