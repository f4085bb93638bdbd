#pragma once

#include "capture/CaptionEntry.h"

#include <QDateTime>

namespace velmora {

// One recorded poll: when it happened and the caption lines it saw (each stamped with `time`).
struct RecordedSnapshot {
    QDateTime time;
    CaptionSnapshot entries;
};

} // namespace velmora
