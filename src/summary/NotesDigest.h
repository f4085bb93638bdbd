#pragma once

#include "summary/AttendeeNames.h"
#include "summary/PartialSummary.h"

#include <QString>

namespace velmora {

// What the user's own notes add to a summary: task lines ("- [ ] …", "TODO: …") become action
// items, "Decision: …" lines decisions, short bullet lines topics. Other lines are left out.
namespace NotesDigest {

inline constexpr qsizetype maxTopicLength = 80;

PartialSummary read(const QString& notes, const AttendeeNames& names);

} // namespace NotesDigest

} // namespace velmora
