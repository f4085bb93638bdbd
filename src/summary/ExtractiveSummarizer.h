#pragma once

#include "summary/PartialSummary.h"

#include <QString>
#include <QStringList>

namespace velmora {

// A summary without a language model: topics as the meeting's key phrases, action items and
// decisions from the phrases people use for them, and the user's notes merged in (their
// topics first). Deterministic, and fast enough for a three-hour meeting at once.
namespace ExtractiveSummarizer {

PartialSummary summarize(const QString& cleanedTranscript, const QStringList& attendees,
                         const QString& notes);

} // namespace ExtractiveSummarizer

} // namespace velmora
