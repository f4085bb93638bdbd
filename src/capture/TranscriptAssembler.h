#pragma once

#include <QString>

#include <optional>

namespace velmora {

// The text rules by which caption lines of one speaker are grown into one utterance.
namespace TranscriptAssembler {

// Lower-case, keeping only letters, numbers (any script) and the plain space.
QString normalizeForComparison(const QString& text);

// The accumulated text grown by `newText`, or none when `newText` does not continue it:
// equal texts; the same words with newer punctuation or case (the new text wins); the new
// text already contained in the old (the old wins) or containing it (the new wins); or an
// overlap of the old text's end with the new text's start of at least a third of the shorter
// text (3 to 12 characters), compared case-insensitively, punctuation included. Lengths count
// user-perceived characters. For an utterance that keeps growing, use AccumulatedText, which
// does not start over for every line.
std::optional<QString> mergeOverlapping(const QString& accumulated, const QString& newText);

} // namespace TranscriptAssembler

} // namespace velmora
