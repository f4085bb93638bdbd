#pragma once

#include <QString>

#include <optional>
#include <utility>

namespace velmora {

class ComparableText;

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

// Whether `newer` is the caption line `older` one poll later: grown, corrected (even several
// words at once, or grown and corrected together), or, for a line that shows only its last
// characters, scrolled on. A line never shrinks to half its length; unrelated lines of one
// speaker are not the same line.
bool sameLine(const QString& older, const QString& newer);
bool sameLine(const QString& older, const QString& newer, const ComparableText& comparableOlder,
              const ComparableText& comparableNewer);

// How `newText` takes the place of the line `previous` at the end of a text: keep the first
// `first` code units of `previous`, then `newText` from code unit `second` on. A line that
// shows only its last characters and scrolled forward keeps the part of `previous` that
// scrolled out (also when words in the part still shown were corrected); one that scrolled
// back does not repeat what the text already holds; a corrected line replaces the old one.
std::pair<qsizetype, qsizetype> spliceCut(const QString& previous, const QString& newText);
// The same for a line that follows `before` in the text. What a line that scrolled back shows in
// front of its former text is text the transcript already holds: when the words the cut puts
// there do not end `before` and a few more words do, the cut takes those (a repeated word and a
// correction together can line the line up a word too early). When none do, and nothing is
// before the line, or the line was too narrow to have scrolled, they are new and kept.
std::pair<qsizetype, qsizetype> spliceCut(const QString& previous, const QString& newText, QStringView before);

// Where the words of `older` from raw position `position` on (a word start, or the end) are in
// `newer`, a revision of it: the raw position in `newer` of the word that corresponds to the
// first of them (by the longest common subsequence of the two lines' words), or `newer`'s end.
qsizetype correspondingPosition(const QString& older, const QString& newer, qsizetype position);

// Whether `newText`, in the place of the line `previous`, is that line scrolled on by more than
// half its width (a line that shows only its last characters): it starts with the line's last
// words, more of them kept than corrected (or as many, three at least). spliceCut then keeps what
// scrolled out.
bool scrolledOn(const QString& previous, const QString& newText);
bool scrolledOn(const QString& previous, const QString& newText,
                const ComparableText& comparablePrevious, const ComparableText& comparableNew);

// Whether `newText`, in the place of the line `previous` that follows `before` in the text, is
// that line scrolled back after a correction shortened it: it shows again words `before` ends
// with (one of three or more perhaps corrected too), then at least half of the line's words in
// order. If so, how many code units at the end of `before` it shows again: the new line takes
// their place and the old line's. spliceCut(previous, newText, before) drops such words when
// none of them was corrected.
std::optional<qsizetype> scrolledBack(const QString& previous, const QString& newText,
                                      QStringView before);

// Whether `newText`, in the place of the line `previous`, is the next sentence beginning with the
// word that ended `previous` ("... should thanks." then "Thanks maybe today"), rather than the
// same text scrolled on: the word is capitalised where it was not, or the sentence end after it
// is gone.
bool startsNextSentence(const QString& previous, const QString& newText);

// `text` with its ending `previous` replaced by `newText` as spliceCut says; none when
// `previous` is empty or `text` does not end with it.
std::optional<QString> splice(const QString& text, const QString& previous, const QString& newText);

} // namespace TranscriptAssembler

} // namespace velmora
