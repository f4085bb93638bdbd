#pragma once

#include "summary/PartialSummary.h"

#include <QString>
#include <QStringList>

namespace velmora {

// The summary file of a transcript: "-summary.md" beside it, private to the user.
namespace SummaryFile {

// 2026-03-14_09-30-05_Teams.md gives 2026-03-14_09-30-05_Teams-summary.md in the same folder.
QString pathFor(const QString& transcriptPath);
// Replaces the file as a whole (owner-only, UTF-8), or throws FileError and leaves any earlier
// summary as it was.
void write(const QString& path, const QString& markdown);
// Renders the summary with its attendees, writes it beside the transcript, logs it, and
// returns the summary file's path; throws FileError.
QString writeSummary(const QString& transcriptPath, const PartialSummary& summary,
                     const QStringList& attendees);

} // namespace SummaryFile

} // namespace velmora
