#include "capture/TranscriptAssembler.h"

#include "capture/AccumulatedText.h"
#include "capture/ComparableText.h"
#include "capture/Graphemes.h"

#include <algorithm>
#include <vector>

namespace velmora::TranscriptAssembler {

namespace {

// A scrolled rolling line is recognised by at least this many characters it still shares.
constexpr qsizetype minRollingOverlap = 12;
// Or by at least this many words, in a phrase it holds twice.
constexpr qsizetype minPhraseWords = 3;
// A line is known to show only its last characters once it is this wide (normalised).
constexpr qsizetype minScrolledWidth = 36;
// Word alignments look at most at this many words of each line (the end of the older line,
// the start of the newer one): enough for any line that scrolls, and linear for long ones.
constexpr qsizetype alignedWords = 64;
// Lines are compared word by word up to this many words (a block of some 2,000 characters).
constexpr qsizetype maxComparedWords = 320;

// Whether `y` (its first `yLength` characters) is `x` with a part changed: what the two share
// at the start and at the end covers at least half of `x`, and at least two characters.
bool edited(const ComparableText& x, const ComparableText& y, qsizetype yLength) {
    const qsizetype lx = x.size();
    const qsizetype shorter = std::min(lx, yLength);
    if (shorter <= 0)
        return false;
    qsizetype prefix = 0;
    while (prefix < shorter && x.code(prefix) == y.code(prefix))
        ++prefix;
    qsizetype suffix = 0;
    while (suffix < shorter && x.code(lx - 1 - suffix) == y.code(yLength - 1 - suffix))
        ++suffix;
    const qsizetype needed = std::max((lx + 1) / 2, std::min<qsizetype>(lx, 2));
    return std::min(prefix + suffix, shorter) >= needed;
}

// The Z-array of x, a separator, y: at each position, how many characters from there on equal
// the first ones of `x`.
std::vector<qsizetype> zArray(const ComparableText& x, const ComparableText& y) {
    const qsizetype n = x.size();
    const qsizetype total = n + 1 + y.size();
    auto at = [&](qsizetype i) { return i < n ? x.code(i) : y.code(i - n - 1); };
    // Position n is the separator, equal to nothing.
    auto same = [&](qsizetype i, qsizetype j) { return i != n && j != n && at(i) == at(j); };
    std::vector<qsizetype> z(std::size_t(total), 0);
    qsizetype left = 0, right = 0;
    for (qsizetype i = 1; i < total; ++i) {
        qsizetype& length = z[std::size_t(i)];
        if (i < right)
            length = std::min(right - i, z[std::size_t(i - left)]);
        while (i + length < total && same(length, i + length))
            ++length;
        if (i + length > right) {
            left = i;
            right = i + length;
        }
    }
    return z;
}

// The largest k such that the first k characters of `x` occur in `y`, and where they first do.
std::pair<qsizetype, qsizetype> leadingOccurrence(const ComparableText& x, const ComparableText& y) {
    const qsizetype n = x.size();
    if (n == 0 || y.size() == 0)
        return {0, -1};
    const std::vector<qsizetype> z = zArray(x, y);
    qsizetype best = 0, where = -1;
    for (qsizetype i = n + 1; i < qsizetype(z.size()); ++i) {
        if (z[std::size_t(i)] > best) {
            best = std::min(z[std::size_t(i)], n);
            where = i - n - 1;
        }
    }
    return {best, where};
}

// The longest end of `x` that begins `y` and starts a word of `x`, in characters.
qsizetype wordBorder(const ComparableText& x, const ComparableText& y) {
    const qsizetype n = y.size();
    if (n == 0 || x.size() == 0)
        return 0;
    // Where z reaches the end, the rest of x begins y.
    const std::vector<qsizetype> z = zArray(y, x);
    std::vector<char> wordStart(std::size_t(x.size()), 0);
    for (qsizetype w = 0, c = 0; w < x.wordCount(); ++w) {
        while (c < x.size() && x.rawPosition(c) < x.wordRawPosition(w))
            ++c;
        if (c < x.size())
            wordStart[std::size_t(c)] = 1;
    }
    for (qsizetype start = 0; start < x.size(); ++start) {
        if (wordStart[std::size_t(start)] && z[std::size_t(n + 1 + start)] == x.size() - start)
            return x.size() - start;
    }
    return 0;
}

// Whether the first `length` characters of `x` occur in `y`, i.e. L(x, y) >= length.
bool leadsInto(const ComparableText& x, qsizetype length, const ComparableText& y) {
    if (length > x.size() || length > y.size())
        return false;
    for (qsizetype start = 0; start + length <= y.size(); ++start) {
        qsizetype k = 0;
        while (k < length && x.code(k) == y.code(start + k))
            ++k;
        if (k == length)
            return true;
    }
    return false;
}

// Longest common subsequence of the two texts' words.
qsizetype commonWords(const ComparableText& x, const ComparableText& y) {
    std::vector<qsizetype> row(std::size_t(y.wordCount() + 1), 0);
    for (qsizetype i = 0; i < x.wordCount(); ++i) {
        qsizetype diagonal = 0;
        for (qsizetype j = 0; j < y.wordCount(); ++j) {
            const qsizetype up = row[std::size_t(j + 1)];
            row[std::size_t(j + 1)] = x.sameWord(i, y, j) ? diagonal + 1 : std::max(up, row[std::size_t(j)]);
            diagonal = up;
        }
    }
    return row.back();
}

// Most of the older line's words come back in order: several words corrected at once, also
// far back in a long line that grew meanwhile.
bool wordsAgree(const ComparableText& older, const ComparableText& newer) {
    if (older.wordCount() < 3 || older.wordCount() > maxComparedWords || newer.wordCount() > 2 * maxComparedWords)
        return false;
    return 3 * commonWords(older, newer) >= 2 * older.wordCount();
}

// Where the newer line picks up the older one, word by word and allowing corrections: the
// older line's words from `from` on line up with the newer line's words from `skip` on
// (semi-global alignment: the older line's start and the newer line's end are free).
struct WordAlignment {
    qsizetype from = 0;
    qsizetype skip = 0;
    qsizetype matched = 0;
    qsizetype span = 0;  // older words from `from` to the end
    qsizetype firstMatch = 0;  // the older word of the first matched pair
    qsizetype firstMatchNewer = 0; // and its newer word
    qsizetype lastKept = -1;       // the newer word the older line's last word is kept as, or -1

    bool convincing() const { return matched >= 3 && 3 * matched >= 2 * span; }
};

WordAlignment alignWords(const ComparableText& older, const ComparableText& newer) {
    const qsizetype first = std::max<qsizetype>(0, older.wordCount() - alignedWords);
    const qsizetype n = older.wordCount() - first;
    const qsizetype m = std::min(newer.wordCount(), alignedWords);
    WordAlignment result;
    if (n == 0 || m == 0)
        return result;
    // Scores 2, -1 and -2, scaled so that of two alignments that score the same the one with
    // more matched words wins ("a b c" against "x a c": "b" dropped and "x" added, not two
    // words replaced).
    constexpr int tieBreak = 2 * alignedWords;
    constexpr int matchScore = 2 * tieBreak + 1, mismatchScore = -tieBreak, gapScore = -2 * tieBreak;
    std::vector<int> score(std::size_t((n + 1) * (m + 1)), 0);
    auto at = [&](qsizetype i, qsizetype j) -> int& { return score[std::size_t(i * (m + 1) + j)]; };
    auto same = [&](qsizetype i, qsizetype j) { return older.sameWord(first + i, newer, j); };
    for (qsizetype j = 1; j <= m; ++j)
        at(0, j) = gapScore * int(j);
    for (qsizetype i = 1; i <= n; ++i) {
        for (qsizetype j = 1; j <= m; ++j) {
            at(i, j) = std::max({at(i - 1, j - 1) + (same(i - 1, j - 1) ? matchScore : mismatchScore),
                                 at(i - 1, j) + gapScore, at(i, j - 1) + gapScore});
        }
    }
    qsizetype j = 0;
    for (qsizetype k = 1; k <= m; ++k) {
        if (at(n, k) > at(n, j))
            j = k;
    }
    qsizetype i = n;
    if (j > 0 && same(n - 1, j - 1) && at(n, j) == at(n - 1, j - 1) + matchScore)
        result.lastKept = j - 1;
    while (i > 0 && j > 0) {
        const bool equal = same(i - 1, j - 1);
        if (at(i, j) == at(i - 1, j - 1) + (equal ? matchScore : mismatchScore)) {
            if (equal) {
                ++result.matched;
                result.firstMatch = first + i - 1;
                result.firstMatchNewer = j - 1;
            }
            --i;
            --j;
        } else if (at(i, j) == at(i - 1, j) + gapScore) {
            --i;
        } else {
            --j;
        }
    }
    result.from = first + i;
    result.skip = j;
    result.span = older.wordCount() - result.from;
    return result;
}

// Words a correction may put in the place of one.
constexpr qsizetype maxCorrectionWords = 2;

// A rolling line that scrolled on by more than half its width, words in the part still shown
// perhaps corrected meanwhile: the newer line starts with the older line's last words, more of
// them kept than changed (or as many, three at least).
std::optional<WordAlignment> scrolledFar(const ComparableText& older, const ComparableText& newer) {
    const WordAlignment alignment = alignWords(older, newer);
    // The line grew at its end: more words than the part kept, or words after its last one
    // (several words corrected into fewer meanwhile).
    const bool grew = newer.wordCount() > alignment.span ||
                      (alignment.lastKept >= 0 && alignment.lastKept + 1 < newer.wordCount());
    if (alignment.skip != 0 || alignment.from == 0 || alignment.matched == 0 || !grew)
        return std::nullopt;
    const bool mostKept = 2 * alignment.matched > alignment.span ||
                          (2 * alignment.matched == alignment.span && alignment.matched >= 3);
    // Words before the first kept one may as well have scrolled out while a correction put a
    // word or two in front of the kept ones.
    const bool keptAfterCorrection =
        alignment.matched >= 2 && alignment.firstMatchNewer <= maxCorrectionWords &&
        2 * alignment.matched > older.wordCount() - alignment.firstMatch;
    if (!mostKept && !keptAfterCorrection)
        return std::nullopt;
    return alignment;
}

// Whether `newer`, which starts at character `at` of `older`, is `older` without its first word
// rather than scrolled on by it: it starts at the second word, that word lost the capital of a
// sentence start, and the line did not grow (a line scrolls only when words are added at its end).
bool droppedFirstWord(const QString& olderText, const ComparableText& older, const QString& newerText,
                      const ComparableText& newer, qsizetype at) {
    return older.wordCount() > 1 && older.rawPosition(at) == older.wordRawPosition(1) &&
           olderText[older.rawPosition(0)].isUpper() && !newerText[newer.rawPosition(0)].isUpper() &&
           older.rawPosition(at) + newerText.size() <= olderText.size();
}

// False only when mergeOverlapping(older, newer) is surely none, given that the tests of
// sameLine before it failed. Then neither line contains the other (for lines of 12 characters
// and more the leading-occurrence test has seen to that), and what remains is an overlap of the
// older line's end with the newer line's start. When the newer line starts with a letter or
// number, the overlap's normalised form is a suffix of the older line's and a prefix of the
// newer line's, so the two normalised forms must share such a border.
bool mayMerge(const ComparableText& a, const ComparableText& b) {
    if (a.size() < minRollingOverlap || b.size() == 0 || b.rawPosition(0) > 0)
        return true;
    for (qsizetype start = std::max<qsizetype>(0, a.size() - b.size()); start < a.size(); ++start) {
        qsizetype k = 0;
        while (start + k < a.size() && a.code(start + k) == b.code(k))
            ++k;
        if (start + k == a.size())
            return true;
    }
    return false;
}

// Whether `b` is `a` with words corrected (and perhaps grown), rather than scrolled or
// continued by another text.
bool revisedInPlace(const ComparableText& a, const ComparableText& b) {
    return edited(a, b, b.size()) || (b.blankCount() > a.blankCount() && edited(a, b, b.lengthBeforeBlank(a.blankCount()))) ||
           wordsAgree(a, b) || alignWords(a, b).convincing();
}

// Whether the first `count` words of `line` are the last `count` words of `text`.
bool endsWithWordsOf(const ComparableText& text, const ComparableText& line, qsizetype count) {
    if (count <= 0 || count > text.wordCount() || count > line.wordCount())
        return false;
    const qsizetype offset = text.wordCount() - count;
    for (qsizetype w = 0; w < count; ++w) {
        if (!line.sameWord(w, text, offset + w))
            return false;
    }
    return true;
}

bool endsSentence(QStringView text) {
    static const QString sentenceEnds = QStringLiteral(".?!\u2026\u3002\uff1f\uff01");
    const QStringView trimmed = text.trimmed();
    return !trimmed.isEmpty() && sentenceEnds.contains(trimmed.back());
}

// Whether the word at raw position `at` of `text` begins a sentence the text holds before it.
bool followsSentenceEnd(const QString& text, qsizetype at) {
    return endsSentence(QStringView(text).left(at));
}

// The first word of `previous` from word `from` on that is the capitalised word `newText`
// starts with, or -1.
qsizetype capitalisedAgain(const QString& previous, const ComparableText& p, const QString& newText,
                           const ComparableText& e, qsizetype from) {
    if (e.wordCount() == 0 || !newText[e.wordRawPosition(0)].isUpper())
        return -1;
    for (qsizetype i = from; i < p.wordCount(); ++i) {
        if (p.sameWord(i, e, 0) && previous[p.wordRawPosition(i)].isUpper())
            return i;
    }
    return -1;
}

// A wide rolling line whose sentence end was followed by a sentence starting with the same word,
// the first guess of which a correction replaced as the line scrolled ("then not. if still
// requirement" -> "Not still requirement"): the old word that ends a sentence and the new
// capitalised one that does not are two words, and the line goes on from the old word after it.
// Most of the words after that one kept in order tell it from the next sentence. Returns that
// word of `previous`, or -1.
qsizetype saidAgainAfterSentenceEnd(const QString& previous, const ComparableText& p,
                                    const QString& newText, const ComparableText& e) {
    if (p.size() < minScrolledWidth || e.wordCount() < 2 ||
        !newText[e.wordRawPosition(0)].isUpper() ||
        followsSentenceEnd(newText, e.wordRawPosition(1)))
        return -1;
    const WordAlignment alignment = alignWords(p, e);
    const qsizetype next = alignment.firstMatch + 1;
    if (alignment.skip != 0 || alignment.matched < 3 || alignment.firstMatchNewer != 0 ||
        next >= p.wordCount() || !followsSentenceEnd(previous, p.wordRawPosition(next)))
        return -1;
    const qsizetype rest = p.wordCount() - next;
    return e.wordCount() > rest && 2 * (alignment.matched - 1) > rest ? next : -1;
}

// A wide rolling line that scrolled on to a sentence end it showed, the two words after which
// a correction replaced meanwhile: as many words changed as kept, but the kept ones hold that
// sentence end and the capitalised word after it ("research the. On January that" -> "the. On
// still right revenue"). Returns the old word the line goes on from, or -1.
qsizetype scrolledToSentenceEnd(const QString& previous, const ComparableText& p,
                                const QString& newText, const ComparableText& e) {
    if (p.size() < minScrolledWidth || e.wordCount() < 3 ||
        !newText[e.wordRawPosition(1)].isUpper() ||
        !followsSentenceEnd(newText, e.wordRawPosition(1)))
        return -1;
    const WordAlignment alignment = alignWords(p, e);
    const qsizetype from = alignment.firstMatch;
    if (alignment.skip != 0 || alignment.from == 0 || alignment.firstMatchNewer != 0 ||
        alignment.matched < 2 || 2 * alignment.matched != alignment.span ||
        e.wordCount() <= alignment.span || from + 1 >= p.wordCount() || !p.sameWord(from + 1, e, 1))
        return -1;
    const bool sentenceEnd = followsSentenceEnd(previous, p.wordRawPosition(from + 1)) &&
                             previous[p.wordRawPosition(from + 1)].isUpper();
    return sentenceEnd ? from : -1;
}

// Words a line that scrolled keeps, its newly capitalised first word one of them, to be told
// from the next sentence in its place.
constexpr qsizetype minCapitalisedKept = 4;

// A scroll back is at most this many words longer than the word alignment made it.
constexpr qsizetype maxScrollBackShift = 2;
// A correction that shortened a rolling line brings back at most this many words in front.
constexpr qsizetype maxWordsBroughtBack = 8;

// The words in front of the old line's first word that a rolling line shows again after a
// correction shortened it, and the code units of the text before the line they stand for:
// words the text before the line ends with, then at least half of the old line's words in
// order (two thirds after a single word, unless the old line's first word follows it). With
// `corrected`, one of three or more words shown again may read otherwise, as long as the last does
// not.
struct BroughtBack {
    qsizetype words = 0;
    qsizetype length = 0;
};

std::optional<BroughtBack> wordsBroughtBack(const ComparableText& older, QStringView newText,
                                            const ComparableText& newer, QStringView before,
                                            bool corrected) {
    if (older.size() < minScrolledWidth || older.wordCount() < 2 ||
        older.wordCount() > alignedWords || before.isEmpty())
        return std::nullopt;
    const QStringView tailText =
        before.right(std::min<qsizetype>(before.size(), 32 * maxWordsBroughtBack));
    const ComparableText tail(tailText);
    for (qsizetype k = 1;
         k <= maxWordsBroughtBack && k + 1 < newer.wordCount() && k <= tail.wordCount(); ++k) {
        const bool anchored = k >= 2 || newer.sameWord(k, older, 0);
        const qsizetype offset = tail.wordCount() - k;
        qsizetype same = 0;
        for (qsizetype w = 0; w < k; ++w)
            same += newer.sameWord(w, tail, offset + w) ? 1 : 0;
        const bool shownAgain = same == k || (corrected && k >= 3 && same + 1 == k &&
                                              newer.sameWord(k - 1, tail, offset + k - 1));
        if (!shownAgain)
            continue;
        const ComparableText rest(newText.mid(newer.wordRawPosition(k)));
        const qsizetype kept = commonWords(older, rest);
        if (anchored ? 2 * kept >= older.wordCount() : 3 * kept >= 2 * older.wordCount())
            return BroughtBack{k, tailText.size() - tail.wordRawPosition(offset)};
    }
    return std::nullopt;
}

} // namespace

QString normalizeForComparison(const QString& text) {
    const std::vector<qint32> starts = Graphemes::segment(text);
    QString normalized;
    normalized.reserve(text.size());
    for (std::size_t i = 0; i + 1 < starts.size(); ++i) {
        const QStringView character = QStringView(text).mid(starts[i], starts[i + 1] - starts[i]);
        if (Graphemes::isWordCharacter(character))
            Graphemes::appendKey(character, normalized);
    }
    return normalized;
}

std::optional<QString> mergeOverlapping(const QString& accumulated, const QString& newText) {
    AccumulatedText text(accumulated);
    if (!text.merge(newText))
        return std::nullopt;
    return text.text();
}

bool sameLine(const QString& older, const QString& newer) {
    return sameLine(older, newer, ComparableText(older), ComparableText(newer));
}

bool sameLine(const QString& older, const QString& newer, const ComparableText& a, const ComparableText& b) {
    if (older == newer)
        return true;
    if (2 * b.size() <= a.size())
        return false;
    // The cheaper tests first; the answer does not depend on their order.
    if (edited(a, b, b.size()))
        return true;
    // Grown and corrected in one poll: compare with as many words as the older line had.
    if (b.blankCount() > a.blankCount() && edited(a, b, b.lengthBeforeBlank(a.blankCount())))
        return true;
    // A rolling line that scrolled: half of it is still there, at one end or the other.
    const qsizetype half = (a.size() + 1) / 2;
    if (a.size() >= minRollingOverlap && (leadsInto(b, half, a) || leadsInto(a, half, b)))
        return true;
    return wordsAgree(a, b) || alignWords(a, b).convincing() ||
           (mayMerge(a, b) && mergeOverlapping(older, newer).has_value());
}

std::pair<qsizetype, qsizetype> spliceCut(const QString& previous, const QString& newText) {
    // Grown: the rules below come to the same.
    if (newText.startsWith(previous))
        return {0, 0};
    const ComparableText p(previous);
    const ComparableText e(newText);
    // Scrolled forward: the new line starts inside the old one. Starting where the old one
    // started, it is the old line revised in place, however far into it the revision is; so is
    // one whose first word the recogniser dropped.
    if (const auto [length, at] = leadingOccurrence(e, p); length >= minRollingOverlap) {
        if (at > 0 && droppedFirstWord(previous, p, newText, e, at))
            return {0, 0};
        // A phrase said twice: the line goes on from the one that ends it when that takes fewer
        // changes, a word corrected counting as two added at the end (the recogniser adds words
        // at every poll and corrects a few now and then). A line revised in place keeps at
        // least half of its words, though.
        // Three words make a phrase however short they are.
        const qsizetype overlap = wordBorder(p, e);
        const qsizetype shared =
            overlap > 0
                ? ComparableText(QStringView(previous).mid(p.rawPosition(p.size() - overlap)))
                      .wordCount()
                : 0;
        if ((overlap >= minRollingOverlap || shared >= minPhraseWords) &&
            p.size() - overlap != at) {
            const ComparableText rest(QStringView(previous).mid(p.rawPosition(at)));
            const qsizetype kept = commonWords(rest, e);
            const qsizetype fromFirst = 2 * (rest.wordCount() - kept) +
                                        std::max<qsizetype>(0, e.wordCount() - rest.wordCount());
            if (e.wordCount() - shared < fromFirst && (at > 0 || 2 * kept < rest.wordCount()))
                return {p.rawPosition(p.size() - overlap), 0};
        }
        return {at > 0 ? p.rawPosition(at) : 0, 0};
    }
    // Scrolled back: the old line starts inside the new one, at least half of it (not only a
    // phrase said again).
    if (const auto [length, at] = leadingOccurrence(p, e);
        length >= minRollingOverlap && 2 * length >= p.size() && at > 0)
        return {0, e.rawPosition(at)};
    // The same, word by word, when words in the part both show were corrected meanwhile.
    // Old word `from` lines up with new word `skip`: the words before them line up as well (in
    // a long line they lie outside the words the alignment looked at).
    if (const WordAlignment alignment = alignWords(p, e); alignment.convincing()) {
        // Several old words read as corrected before the first one kept: one word corrected into
        // as many aligns so too, and the words before it scrolled out rather.
        if (alignment.skip == 0 && alignment.from > 0 && alignment.firstMatchNewer > 0 &&
            alignment.firstMatch - alignment.from >= 2)
            return {p.wordRawPosition(alignment.firstMatch - 1), 0};
        if (alignment.from > alignment.skip)
            return {p.wordRawPosition(alignment.from - alignment.skip), 0};
        if (alignment.skip > alignment.from)
            return {0, e.wordRawPosition(alignment.skip - alignment.from)};
        return {0, 0};
    }
    // Corrected from its start on: the new line replaces it.
    if (edited(p, e, e.size()) ||
        (e.blankCount() > p.blankCount() && edited(p, e, e.lengthBeforeBlank(p.blankCount()))))
        return {0, 0};
    // The old line's last words begin the new one: it goes on from there.
    const qsizetype wordsP = p.wordCount();
    for (qsizetype k = std::min({wordsP, e.wordCount(), alignedWords}); k >= 1; --k) {
        bool continues = true;
        for (qsizetype w = 0; w < k && continues; ++w)
            continues = p.sameWord(wordsP - k + w, e, w);
        if (continues)
            return {p.wordRawPosition(wordsP - k), 0};
    }
    if (const qsizetype next = saidAgainAfterSentenceEnd(previous, p, newText, e); next >= 0)
        return {p.wordRawPosition(next), 0};
    if (const qsizetype from = scrolledToSentenceEnd(previous, p, newText, e); from >= 0)
        return {p.wordRawPosition(from), 0};
    // The same with words corrected in the part still shown. Old words before the first one
    // kept may as well have scrolled out as been corrected: they stay.
    // A capitalised first word goes on from where the old line shows it so.
    if (const std::optional<WordAlignment> alignment = scrolledFar(p, e)) {
        const qsizetype capital = capitalisedAgain(previous, p, newText, e, alignment->firstMatch);
        return {p.wordRawPosition(capital >= 0 ? capital : alignment->firstMatch), 0};
    }
    return {0, 0};
}

std::pair<qsizetype, qsizetype> spliceCut(const QString& previous, const QString& newText, QStringView before) {
    const auto cut = spliceCut(previous, newText);
    if (cut.first > 0 || (before.isEmpty() && cut.second == 0))
        return cut;
    // Nothing in front of the line: what it shows in front of its former text is new.
    if (before.isEmpty())
        return {0, 0};
    const ComparableText e(newText);
    if (cut.second == 0) {
        // Taken for the line rewritten whole: it may rather have scrolled back over words the
        // text holds while a correction shortened it.
        const ComparableText p(previous);
        if (e.wordCount() == 0 || p.wordCount() == 0 || e.sameWord(0, p, 0))
            return cut;
        const std::optional<BroughtBack> back = wordsBroughtBack(p, newText, e, before, false);
        return back ? std::pair<qsizetype, qsizetype>{0, e.wordRawPosition(back->words)} : cut;
    }
    qsizetype shown = 0;  // words in front of the old line's start
    while (shown < e.wordCount() && e.wordRawPosition(shown) < cut.second)
        ++shown;
    const ComparableText tail(before.right(std::min<qsizetype>(before.size(), 2 * cut.second + 64)));
    if (endsWithWordsOf(tail, e, shown))
        return cut;
    for (qsizetype k = shown + 1; k <= shown + maxScrollBackShift && k < e.wordCount(); ++k) {
        if (endsWithWordsOf(tail, e, k))
            return {0, e.wordRawPosition(k)};
    }
    for (qsizetype k = shown - 1; k >= 1; --k) {
        if (endsWithWordsOf(tail, e, k))
            return {0, e.wordRawPosition(k)};
    }
    // None of them ends the text. When the old line shows up whole in the new one, or was too
    // narrow to have scrolled, they are words a revision put in front, not shown again.
    const ComparableText p(previous);
    if (p.size() < minScrolledWidth)
        return {0, 0};
    const auto [length, at] = leadingOccurrence(p, e);
    if (2 * length >= p.size() && length >= minRollingOverlap && at > 0)
        return {0, 0};
    // Shown again with a correction, some of them are still among the last words of the text;
    // new words from a revision are not.
    const qsizetype window = std::min(tail.wordCount(), shown + maxScrollBackShift);
    for (qsizetype w = 0; w < shown; ++w) {
        for (qsizetype t = tail.wordCount() - window; t < tail.wordCount(); ++t) {
            if (e.sameWord(w, tail, t))
                return cut;
        }
    }
    return {0, 0};
}

qsizetype correspondingPosition(const QString& older, const QString& newer, qsizetype position) {
    const ComparableText a(older);
    const ComparableText b(newer);
    const qsizetype n = a.wordCount();
    const qsizetype m = b.wordCount();
    qsizetype word = 0;
    while (word < n && a.wordRawPosition(word) < position)
        ++word;
    // Longest common subsequence of the words, walked from the start.
    std::vector<qint32> table(std::size_t((n + 1) * (m + 1)), 0);
    auto at = [&](qsizetype i, qsizetype j) -> qint32& { return table[std::size_t(i * (m + 1) + j)]; };
    for (qsizetype i = n - 1; i >= 0; --i) {
        for (qsizetype j = m - 1; j >= 0; --j)
            at(i, j) = a.sameWord(i, b, j) ? at(i + 1, j + 1) + 1 : std::max(at(i + 1, j), at(i, j + 1));
    }
    qsizetype lastOlder = -1, lastNewer = -1; // the last pair before `word`
    qsizetype target = -1;
    for (qsizetype i = 0, j = 0; i < n && j < m;) {
        if (a.sameWord(i, b, j) && at(i, j) == at(i + 1, j + 1) + 1) {
            if (i >= word) {
                // The words between the last pair and this one correspond one to one, as far
                // as they go.
                target = std::max(lastNewer + 1, j - (i - word));
                break;
            }
            lastOlder = i;
            lastNewer = j;
            ++i;
            ++j;
        } else if (at(i + 1, j) >= at(i, j + 1)) {
            ++i;
        } else {
            ++j;
        }
    }
    if (target < 0)
        target = lastNewer + 1 + (word - 1 - lastOlder);
    return target < m ? b.wordRawPosition(target) : newer.size();
}

bool scrolledOn(const QString& previous, const QString& newText) {
    return scrolledOn(previous, newText, ComparableText(previous), ComparableText(newText));
}

bool scrolledOn(const QString& previous, const QString& newText, const ComparableText& p,
                const ComparableText& e) {
    // Only a line as wide as the client shows scrolls; a shorter one just grows.
    if (p.size() < minScrolledWidth)
        return false;
    const std::optional<WordAlignment> alignment = scrolledFar(p, e);
    if (!alignment)
        return saidAgainAfterSentenceEnd(previous, p, newText, e) >= 0 ||
               scrolledToSentenceEnd(previous, p, newText, e) >= 0;
    // A capital where the line had none starts a sentence, and a single capitalised word may
    // well be the first word of the next one: the next sentence, in the line's place. Unless
    // the line shows that very word capitalised in the part kept: then the sentence it begins
    // goes on, also from that word alone when nothing of that sentence followed it yet.
    if (!newText[e.wordRawPosition(0)].isUpper())
        return true;
    if (alignment->matched >= 2 && previous[p.wordRawPosition(alignment->from)].isUpper())
        return true;
    // Nor is it when its first word and three more are the line's, in order: a correction
    // moved the sentence start.
    if (alignment->firstMatchNewer == 0 && alignment->matched >= minCapitalisedKept)
        return true;
    const qsizetype i = capitalisedAgain(previous, p, newText, e, alignment->from);
    if (i < 0)
        return saidAgainAfterSentenceEnd(previous, p, newText, e) >= 0;
    return alignment->matched >= 2 ||
           (i + 1 == p.wordCount() && followsSentenceEnd(previous, p.wordRawPosition(i)));
}

std::optional<qsizetype> scrolledBack(const QString& previous, const QString& newText,
                                      QStringView before) {
    const ComparableText p(previous);
    const ComparableText e(newText);
    if (e.wordCount() == 0 || p.wordCount() == 0 || e.sameWord(0, p, 0))
        return std::nullopt;
    const std::optional<BroughtBack> back = wordsBroughtBack(p, newText, e, before, true);
    return back ? std::optional<qsizetype>(back->length) : std::nullopt;
}

bool startsNextSentence(const QString& previous, const QString& newText) {
    const ComparableText p(previous);
    const ComparableText e(newText);
    // A line that starts as before is that line (also a line of one word that grows).
    if (p.wordCount() < 2 || e.wordCount() == 0 || !p.sameWord(p.wordCount() - 1, e, 0) || p.sameWord(0, e, 0))
        return false;
    const qsizetype oldStart = p.wordRawPosition(p.wordCount() - 1);
    const qsizetype newStart = e.wordRawPosition(0);
    // Re-capitalised in a line that is the old one with words corrected: a revision.
    if (newText[newStart].isUpper() && !previous[oldStart].isUpper())
        return !revisedInPlace(p, e);
    // More words than that one line up: the old line scrolled on, its sentence end revised.
    if (alignWords(p, e).convincing())
        return false;
    static const QString sentenceEnds = QStringLiteral(".?!\u2026\u3002\uff1f\uff01");
    const QStringView oldWord = QStringView(previous).mid(oldStart).trimmed();
    if (oldWord.isEmpty() || !sentenceEnds.contains(oldWord.back()))
        return false;
    // The new line shows the word with the same ending, when it is the old text scrolled on.
    return !QStringView(newText).mid(newStart).startsWith(oldWord);
}

std::optional<QString> splice(const QString& text, const QString& previous, const QString& newText) {
    if (previous.isEmpty() || !text.endsWith(previous))
        return std::nullopt;
    const auto [kept, from] = spliceCut(previous, newText, QStringView(text).left(text.size() - previous.size()));
    return text.left(text.size() - previous.size() + kept) + newText.mid(from);
}

} // namespace velmora::TranscriptAssembler
