#pragma once

#include "capture/SnapshotChanges.h"

#include <QList>
#include <QString>

#include <utility>

namespace velmora {

// First flush phase: compares each snapshot with the one before it, position by position.
// A line at the same position with the same speaker is unchanged when its text is equal and
// revised when it differs; any other line is new.
class SnapshotDiffer {
public:
    // Adds the new and revised lines of `snapshot` to `into`, then remembers the snapshot.
    void diff(const CaptionSnapshot& snapshot, SnapshotChanges& into);
    void reset() { lastPollEntries_.clear(); }

private:
    // The previous snapshot's (speaker, text) pairs.
    QList<std::pair<QString, QString>> lastPollEntries_;
};

} // namespace velmora
