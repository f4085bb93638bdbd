#pragma once

#include <QString>
#include <QStringList>

namespace velmora {

// Pure text functions that prepare a Markdown transcript for summarising. Lengths and counts
// are user-perceived characters (grapheme clusters). Text that is not a Markdown transcript
// passes through unchanged and has no attendees.
namespace TranscriptPreparation {

// Drops a speaker's turn that a neighbouring turn of the same speaker repeats or completes,
// and long openings a speaker repeats later in the meeting.
QString deduplicateTranscript(const QString& text);
// Distinct speaker names in order of first appearance, without "Unknown user".
QStringList extractSpeakers(const QString& text);
// Runs of whole lines joined by "\n", each at most `maxChars` unless one line is longer.
QStringList splitIntoChunks(const QString& text, qsizetype maxChars);
// Two pieces of about half the text each: cut at the line break nearest the middle, else at
// the space nearest the middle, else at the middle character. Nothing but that one separator
// is lost. A text of one character gives itself.
QStringList bisect(const QString& text);
// User-perceived characters in `text`.
qsizetype graphemeCount(QStringView text);

} // namespace TranscriptPreparation

} // namespace velmora
