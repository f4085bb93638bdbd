#pragma once

#include "capture/CaptionEntry.h"

#include <QList>
#include <QSet>

namespace velmora {

// The lines of a run of snapshots that were new or revised, in order; `revised` holds the
// positions in `changes` of lines that replaced a line of the same speaker in place.
struct SnapshotChanges {
    QList<CaptionEntry> changes;
    QSet<qsizetype> revised;
};

} // namespace velmora
