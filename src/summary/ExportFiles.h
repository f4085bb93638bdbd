#pragma once

#include "summary/MeetingSummary.h"

#include <QByteArray>
#include <QString>

namespace velmora::ExportFiles {

// Reads and parses a summary file; `FileError` when it cannot be read.
MeetingSummary readSummary(const QString& path);

// Replaces `destination` with `bytes` atomically; a new file is readable by its owner only.
// `FileError` when it cannot be written (nothing is left at the destination then) or when it is
// the summary file itself, which the export would otherwise destroy.
void writeDocument(const QString& destination, const QByteArray& bytes, const QString& summaryPath);

} // namespace velmora::ExportFiles
