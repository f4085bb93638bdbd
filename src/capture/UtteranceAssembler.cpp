#include "capture/UtteranceAssembler.h"

#include "capture/ComparableText.h"
#include "capture/TranscriptAssembler.h"

#include <algorithm>
#include <vector>

namespace velmora {

namespace {

// Code units at the end of `previous` that `text` also ends with, from a word start in both.
qsizetype sharedEnding(const QString& text, const QString& previous) {
    qsizetype shared = 0;
    while (shared < previous.size() && shared < text.size() &&
           previous[previous.size() - 1 - shared] == text[text.size() - 1 - shared])
        ++shared;
    auto wordStart = [](const QString& s, qsizetype at) { return at == 0 || s[at - 1].isSpace(); };
    while (shared > 0 && !(wordStart(previous, previous.size() - shared) &&
                           wordStart(text, text.size() - shared)))
        --shared;
    return shared;
}

// Where the words of the line `previous` end in `newText`, the line it became.
qsizetype endOfFormerLine(const QString& previous, const QString& newText) {
    qsizetype cut =
        newText.startsWith(previous)
            ? previous.size()
            : TranscriptAssembler::correspondingPosition(previous, newText, previous.size());
    // What the line's last word gained ("Okay" → "Okay,") is still that word.
    while (cut > 0 && cut < newText.size() && !newText[cut].isSpace() &&
           !newText[cut - 1].isSpace())
        ++cut;
    return cut;
}

// Where the words of the line `previous` end in `newText`, the line it became after the open
// line `open` merged into it. Its last word revised pairs with the same word further on, when the
// open line has one; where the open line stands whole at a word start up to that cut, with at
// least the former line's number of words in front of it, the former line ends there.
qsizetype endOfFormerLine(const QString& previous, const QString& newText, const QString& open) {
    const qsizetype cut = endOfFormerLine(previous, newText);
    if (open.isEmpty() || cut <= open.size())
        return cut;
    const qsizetype whole = newText.lastIndexOf(open, cut - open.size());
    if (whole > 0 && newText[whole - 1].isSpace() &&
        ComparableText(QStringView(newText).left(whole)).wordCount() >=
            ComparableText(previous).wordCount())
        return whole;
    return cut;
}

constexpr qsizetype maxFirstGuessWords = 3;
constexpr qsizetype maxRevisedGuessWords = 8;
constexpr qsizetype maxRevisedLineWords = 64;
// Words a revision may drop from a line at once.
constexpr qsizetype maxDroppedWords = 2;

// How many of `older`'s words come back in order among the first `span` words of `newer`.
qsizetype keptInOrder(const ComparableText& older, const ComparableText& newer, qsizetype span) {
    const qsizetype m = std::min(span, newer.wordCount());
    std::vector<qsizetype> row(std::size_t(m + 1), 0);
    for (qsizetype i = 0; i < older.wordCount(); ++i) {
        qsizetype diagonal = 0;
        for (qsizetype j = 0; j < m; ++j) {
            const qsizetype up = row[std::size_t(j + 1)];
            row[std::size_t(j + 1)] =
                older.sameWord(i, newer, j) ? diagonal + 1 : std::max(up, row[std::size_t(j)]);
            diagonal = up;
        }
    }
    return row.back();
}

// Whether `rest`, the part a line gained, is the line of the utterance `open`. An utterance of
// one word is so only when `rest` goes on with that very word; a short one, also when `rest`
// starts with its first word and keeps half of its words in order (revised as it merged). Where
// the next sentence never takes a line's place, the first word may have been revised too.
bool continuesWith(const QString& open, const QString& rest, bool placesKept = false) {
    const ComparableText openWords(open);
    const ComparableText restWords(rest);
    if (openWords.wordCount() >= 2)
        return TranscriptAssembler::sameLine(open, rest, openWords, restWords) ||
               (openWords.wordCount() <= maxRevisedGuessWords && restWords.wordCount() > 0 &&
                (placesKept || openWords.sameWord(0, restWords, 0)) &&
                2 * keptInOrder(openWords, restWords, restWords.wordCount()) >=
                    openWords.wordCount());
    return openWords.wordCount() == 1 && restWords.wordCount() > 0 &&
           openWords.sameWord(0, restWords, 0);
}

// Whether `newer` is the unfinished guess `older` of more than a few words, rewritten about as
// long with more than half of its words still there in order. The next sentence in its place
// would share a word or two at most.
bool rewrittenAboutAsLong(const ComparableText& older, const ComparableText& newer) {
    const qsizetype words = older.wordCount();
    return words > maxFirstGuessWords && newer.wordCount() <= words &&
           newer.wordCount() + maxDroppedWords >= words &&
           2 * keptInOrder(older, newer, newer.wordCount()) > words;
}

// Whether the words `newer` keeps from `older` moved towards its start, as in a rolling line that
// scrolled on: the first word of `newer` found in `older` stands earlier than it did there.
bool movedTowardsStart(const ComparableText& older, const ComparableText& newer) {
    for (qsizetype j = 0; j < newer.wordCount(); ++j) {
        for (qsizetype i = 0; i < older.wordCount(); ++i) {
            if (older.sameWord(i, newer, j))
                return j < i;
        }
    }
    return false;
}

// Whether `text` and `part` end with the same words, as many as the shorter has.
bool endAlike(QStringView text, QStringView part) {
    const ComparableText ending(text.right(2 * part.size() + 32));
    const ComparableText words(part);
    const qsizetype n = std::min(words.wordCount(), ending.wordCount());
    if (n == 0)
        return false;
    for (qsizetype k = 1; k <= n; ++k) {
        if (!words.sameWord(words.wordCount() - k, ending, ending.wordCount() - k))
            return false;
    }
    return true;
}

// How the line `newText` takes the place of its former text `previous` at the end of an
// utterance that holds `before` in front of it (TranscriptAssembler::spliceCut). A line that
// cannot scroll did not scroll back: what it now shows in front of its former text is the line
// (or lines) above merged into it, when that ends as the transcript before the line does, or
// else words a revision put there, which are kept.
std::pair<qsizetype, qsizetype> lineCut(const QString& previous, const QString& newText,
                                        bool linesCanScroll, QStringView before) {
    const auto cut = linesCanScroll ? TranscriptAssembler::spliceCut(previous, newText, before)
                                    : TranscriptAssembler::spliceCut(previous, newText);
    if (!linesCanScroll &&
        (cut.first > 0 ||
         (cut.second > 0 && !endAlike(before, QStringView(newText).left(cut.second)))))
        return {0, 0};
    return cut;
}

bool endsSentence(QStringView line) {
    static const QString sentenceEnds = QStringLiteral(".?!\u2026\u3002\uff1f\uff01");
    const QStringView trimmed = line.trimmed();
    return !trimmed.isEmpty() && sentenceEnds.contains(trimmed.back());
}

// The speaker's latest utterance in `completed` before `end`, or nothing.
QString latestOf(const QString& speaker, const QList<CaptionEntry>& completed, qsizetype end) {
    for (qsizetype k = end - 1; k >= 0; --k) {
        if (completed[k].speaker == speaker)
            return completed[k].text;
    }
    return {};
}

// The open utterance's part of a merged line is recognised by an ending it shares with the line
// of at least this many code units (or all of the utterance).
constexpr qsizetype minMergedEnding = 12;
} // namespace

void UtteranceAssembler::assemble(const QList<CaptionChange>& changes,
                                  QList<CaptionEntry>& completed) {
    for (const CaptionChange& change : changes) {
        const CaptionEntry& entry = change.entry;
        if (!currentSpeaker_) {
            open(entry);
            continue;
        }
        if (!change.previousText) {
            addLine(change, completed);
            continue;
        }
        const QString& previous = *change.previousText;
        // Nothing pins the line to its place and it is not the same line: its place now
        // holds the next sentence.
        const bool endsWithPrevious = !previous.isEmpty() && currentText_.text().endsWith(previous);
        // The next sentence begins with the word that ended the line's last one: it is not that
        // line scrolled on, and the word is said twice. Where places are kept and a line above
        // stayed (the area was not cleared), no next sentence takes a line's place.
        const bool keptInPlace =
            !change.linesCanScroll && !change.reusesLinePlaces && change.anchoredAbove;
        if (entry.speaker == *currentSpeaker_ && (endsWithPrevious || !change.anchored) &&
            !keptInPlace && TranscriptAssembler::startsNextSentence(previous, entry.text)) {
            completed.append(*close());
            open(entry);
            continue;
        }
        if (!change.anchored && !change.sameLineAsPrevious) {
            if (revisedInPlace(change, endsWithPrevious)) {
                currentText_.replaceEnd(previous.size(), entry.text);
            } else if (isFirstGuess(change)) {
                currentText_.assign(entry.text);
            } else if (entry.speaker == *currentSpeaker_ && change.newest && endsWithPrevious &&
                       TranscriptAssembler::scrolledOn(previous, entry.text)) {
                // Too little of the line is left to call it the same, but it is that line.
                const auto [kept, from] = TranscriptAssembler::spliceCut(previous, entry.text);
                currentText_.replaceEnd(previous.size() - kept, QStringView(entry.text).mid(from));
            } else if (const std::optional<qsizetype> shownAgain =
                           entry.speaker == *currentSpeaker_ && change.newest && endsWithPrevious &&
                                   change.linesCanScroll
                               ? TranscriptAssembler::scrolledBack(
                                     previous, entry.text,
                                     QStringView(currentText_.text()).chopped(previous.size()))
                               : std::nullopt) {
                currentText_.replaceEnd(previous.size() + *shownAgain, entry.text);
            } else {
                addLine(change, completed);
            }
            continue;
        }
        const QString shown =
            entry.speaker == *currentSpeaker_ && !endsWithPrevious && change.linesCanScroll
                ? scrolledBackPart(previous)
                : previous;
        const bool endsWithLine = endsWithPrevious || shown.size() < previous.size();
        if (entry.speaker == *currentSpeaker_ && !endsWithLine &&
            (continuesMergedLine(change) || absorbsOpenLine(change, completed)))
            continue;
        if (entry.speaker == *currentSpeaker_ && (change.newest || endsWithLine)) {
            // The open utterance's own line changed; its start time stays.
            if (endsWithLine) {
                const QString& text = currentText_.text();
                const QString before = shown.size() < text.size()
                                           ? text.left(text.size() - shown.size())
                                           : latestOf(entry.speaker, completed, completed.size());
                const auto [kept, from] = lineCut(shown, entry.text, change.linesCanScroll, before);
                currentText_.replaceEnd(shown.size() - kept, QStringView(entry.text).mid(from));
            } else if (!currentText_.merge(entry.text)) {
                completed.append(*close());
                open(entry);
            }
            continue;
        }
        correctCompleted(change, completed);
    }
    flushesOpen_ = std::min(flushesOpen_ + 1, 2);
}

QString UtteranceAssembler::scrolledBackPart(const QString& previous) const {
    // A rolling line that scrolled back over words the utterance already had gave it only the
    // rest of its text; the utterance ends with that rest, which is the line's part of it.
    const qsizetype shared = sharedEnding(currentText_.text(), previous);
    if (shared >= minMergedEnding && 2 * shared >= previous.size())
        return previous.right(shared);
    return previous;
}

bool UtteranceAssembler::startsNextLine(const CaptionChange& change) const {
    // Where lines cannot scroll, a line that begins with the utterance's last word, re-capitalised
    // or after a sentence end, is the next sentence said with that word again, not the utterance
    // going on from it.
    if (change.linesCanScroll)
        return false;
    const QString& text = currentText_.text();
    return TranscriptAssembler::startsNextSentence(
        text.right(std::min<qsizetype>(text.size(), 200)), change.entry.text);
}

bool UtteranceAssembler::continuesMergedLine(const CaptionChange& change) {
    const std::optional<MergedPart> part =
        mergedPart(currentText_.text(), *change.previousText, change.entry.text);
    if (!part)
        return false;
    currentText_.replaceEnd(part->count, part->tail);
    return true;
}

bool UtteranceAssembler::absorbsOpenLine(const CaptionChange& change,
                                         QList<CaptionEntry>& completed) {
    // An earlier line of the speaker now goes on with the open utterance's line: the client
    // merged the two. The earlier utterance keeps its part; the open one continues with the rest.
    const QString& previous = *change.previousText;
    const QString& newText = change.entry.text;
    if (previous.isEmpty())
        return false;
    const QString& open = currentText_.text();
    const qsizetype cut = endOfFormerLine(previous, newText, open);
    const QString rest = newText.mid(cut).trimmed();
    // The loose readings below hold only where the open line is no longer shown below.
    const bool placesKept =
        !change.linesCanScroll && !change.reusesLinePlaces && !change.laterLineShown;
    if (rest.isEmpty())
        return false;
    const bool guessMerged = placesKept && !change.newest && !change.anchored && isFreshGuess();
    if (!guessMerged && !continuesWith(open, rest, placesKept))
        return false;
    const QString head = newText.left(cut).trimmed();
    if (head != previous) {
        CaptionChange earlier = change;
        earlier.entry.text = head;
        correctCompleted(earlier, completed);
    }
    // Where places are kept, the open line is all of the part it merged as: its words dropped or
    // revised in front are not kept.
    if (placesKept) {
        currentText_.assign(rest);
        return true;
    }
    const auto [kept, from] = TranscriptAssembler::spliceCut(open, rest);
    currentText_.replaceEnd(open.size() - kept, QStringView(rest).mid(from));
    return true;
}

bool UtteranceAssembler::isFreshGuess() const {
    // The open utterance is a guess of a few words, unfinished. Where lines keep their places,
    // such a line that is gone while the line above it gained words was merged into that line,
    // revised as it went.
    const QString& text = currentText_.text();
    return !endsSentence(text) && ComparableText(text).wordCount() <= maxFirstGuessWords;
}

bool UtteranceAssembler::revisedInPlace(const CaptionChange& change, bool endsWithPrevious) const {
    // Where a line neither scrolls nor gives its place to the next sentence, the speaker's
    // latest line rewritten in its place, unfinished and no shorter by more than a word or two,
    // is that line revised, however little of it is left. A finished line, or one now shorter
    // with little of it kept, was rather cleared away and the next sentence took its place.
    if (change.linesCanScroll || change.reusesLinePlaces || !endsWithPrevious ||
        change.entry.speaker != *currentSpeaker_)
        return false;
    const ComparableText older(*change.previousText);
    const ComparableText newer(change.entry.text);
    const qsizetype kept = keptInOrder(older, newer, newer.wordCount());
    // With a line above it stayed, the area was not cleared: the next sentence did not take the
    // place of a finished line that keeps half of its words, nor of a line with the speaker's
    // next line shown below it. Either was revised.
    const bool notCleared =
        change.anchoredAbove &&
        (change.laterLineShown || (change.newest && 2 * kept >= older.wordCount()));
    if (!notCleared && (!change.newest || endsSentence(*change.previousText)))
        return false;
    if (newer.wordCount() >= older.wordCount())
        return true;
    // Shorter: only when it dropped a word or two and half of what is left was there before.
    return newer.wordCount() + maxDroppedWords >= older.wordCount() &&
           2 * kept >= newer.wordCount();
}

bool UtteranceAssembler::revisesOpenGuess(const CaptionChange& change) const {
    // A line that cannot scroll moved up as the line above left, and was revised as it moved:
    // no line kept its place to pair it by. The open guess, not shown as it was, is that line.
    if (change.previousText || change.linesCanScroll || change.anchored || change.anchoredAbove ||
        change.entry.speaker != *currentSpeaker_ || endsSentence(currentText_.text()))
        return false;
    return rewrittenAboutAsLong(ComparableText(currentText_.text()),
                                ComparableText(change.entry.text));
}

bool UtteranceAssembler::isFirstGuess(const CaptionChange& change) const {
    // The open utterance is nothing but the line's first few words, unfinished, and the line
    // now says more: the recogniser revised its first guess (a misheard first word), it did not
    // start a new sentence in the same place.
    const QString& previous = *change.previousText;
    if (change.entry.speaker != *currentSpeaker_ || !change.newest ||
        currentText_.text() != previous)
        return false;
    if (QStringView(previous).trimmed().isEmpty() || endsSentence(previous))
        return false;
    const ComparableText older(previous);
    const ComparableText newer(change.entry.text);
    const qsizetype words = older.wordCount();
    // A longer line that cannot scroll, revised in several places at once: it starts as before
    // and half of its words come back in order. A next sentence in its place would not.
    if (words > maxRevisedGuessWords)
        return !change.linesCanScroll && words <= maxRevisedLineWords &&
               older.sameWord(0, newer, 0) && 2 * keptInOrder(older, newer, words + 2) >= words;
    // Where lines cannot scroll, a line that appeared one poll ago and now says more, most of its
    // words read otherwise, was revised: a next sentence in its place would say no more than
    // the few words of its first poll. So was a guess of a few words that now reads otherwise
    // (no sentence that short ends without its full stop), or a longer one that still ends with
    // the same word, or any, where places are kept and a line above stayed.
    const bool keptInPlace = !change.reusesLinePlaces && change.anchoredAbove;
    if (!change.linesCanScroll && flushesOpen_ == 1 &&
        (newer.wordCount() > words ||
         (newer.wordCount() >= 2 && (words <= maxFirstGuessWords || keptInPlace ||
                                     older.sameWord(words - 1, newer, newer.wordCount() - 1)))))
        return true;
    if (!change.linesCanScroll && rewrittenAboutAsLong(older, newer))
        return true;
    // No longer, its start rewritten: the line still ends with the word the guess ended with
    // (with its last two, for a longer guess).
    if (newer.wordCount() <= words) {
        const qsizetype ending = words <= maxFirstGuessWords ? 1 : 2;
        if (newer.wordCount() <= ending)
            return false;
        for (qsizetype k = 1; k <= ending; ++k) {
            if (!older.sameWord(words - k, newer, newer.wordCount() - k))
                return false;
        }
        return true;
    }
    // A few more words, several of them revised at once: half of them or more still come back
    // in order at the start of the longer line; or two in five, none moved towards its start.
    if (words <= maxFirstGuessWords)
        return true;
    const qsizetype kept = keptInOrder(older, newer, words + 2);
    return 2 * kept >= words || (5 * kept >= 2 * words && !movedTowardsStart(older, newer));
}

void UtteranceAssembler::addLine(const CaptionChange& change, QList<CaptionEntry>& completed) {
    const CaptionEntry& entry = change.entry;
    if (revisesOpenGuess(change)) {
        currentText_.assign(entry.text);
        return;
    }
    if (entry.speaker == *currentSpeaker_ && !startsNextLine(change) &&
        currentText_.merge(entry.text))
        return;
    completed.append(*close());
    open(entry);
}

// An utterance that ends with only the last part of the line `previous`, the rest belonging to an
// earlier utterance (two lines merged into one): how its ending changes when the line becomes
// `newText`.
std::optional<UtteranceAssembler::MergedPart>
UtteranceAssembler::mergedPart(const QString& text, const QString& previous,
                               const QString& newText) {
    const qsizetype shared = sharedEnding(text, previous);
    const qsizetype head = previous.size() - shared;
    if (head <= 0 || (shared < minMergedEnding && shared < text.size()) ||
        ComparableText(QStringView(previous).right(shared)).wordCount() < 2)
        return std::nullopt;
    const qsizetype from =
        newText.startsWith(QStringView(previous).left(head))
            ? head
            : TranscriptAssembler::correspondingPosition(previous, newText, head);
    if (from >= newText.size())
        return std::nullopt;
    return MergedPart{shared, newText.mid(from)};
}

void UtteranceAssembler::correctCompleted(const CaptionChange& change,
                                          QList<CaptionEntry>& completed) {
    const CaptionEntry& entry = change.entry;
    const QString& previous = *change.previousText;
    // The speaker's latest completed utterance that ends with the old line (or with its last
    // part, when the line held two merged utterances), else their latest.
    qsizetype target = -1;
    for (qsizetype k = completed.size() - 1; k >= 0; --k) {
        if (completed[k].speaker != entry.speaker)
            continue;
        if (target < 0)
            target = k;
        if (!previous.isEmpty() && (completed[k].text.endsWith(previous) ||
                                    mergedPart(completed[k].text, previous, entry.text))) {
            target = k;
            break;
        }
    }
    // Already written (or never seen): the correction is dropped rather than written twice.
    if (target < 0)
        return;
    QString newText = entry.text;
    const qsizetype cut = endOfFormerLine(previous, newText);
    if (handsOnToNext(newText.mid(cut), target, completed))
        newText = newText.left(cut).trimmed();
    QString& text = completed[target].text;
    const bool endsWithPrevious = text.endsWith(previous);
    if (std::optional<MergedPart> part =
            endsWithPrevious ? std::nullopt : mergedPart(text, previous, newText))
        text = text.left(text.size() - part->count) + part->tail;
    else if (!endsWithPrevious && takesMergedPart(text, newText.mid(cut)))
        return;
    else if (endsWithPrevious && !previous.isEmpty()) {
        const QString before = previous.size() < text.size()
                                   ? text.left(text.size() - previous.size())
                                   : latestOf(entry.speaker, completed, target);
        const auto [kept, from] = lineCut(previous, newText, change.linesCanScroll, before);
        text = text.left(text.size() - previous.size() + kept) + newText.mid(from);
    } else if (std::optional<QString> merged = TranscriptAssembler::mergeOverlapping(text, newText))
        text = *merged;
    else if (TranscriptAssembler::sameLine(text, newText))
        text = newText;
}

bool UtteranceAssembler::takesMergedPart(QString& text, const QString& added) {
    // The line of an utterance already written now goes on with this one's line: this one
    // takes only what was added.
    const QString rest = added.trimmed();
    if (rest.isEmpty() || !continuesWith(text, rest))
        return false;
    const auto [kept, from] = TranscriptAssembler::spliceCut(text, rest);
    text = text.left(kept) + rest.mid(from);
    return true;
}

bool UtteranceAssembler::handsOnToNext(const QString& added, qsizetype target,
                                       QList<CaptionEntry>& completed) {
    // The line of a completed utterance now goes on with the line of the speaker's next one,
    // closed meanwhile: the client merged the two. The next one takes what was added.
    const QString rest = added.trimmed();
    if (rest.isEmpty())
        return false;
    qsizetype next = target + 1;
    while (next < completed.size() && completed[next].speaker != completed[target].speaker)
        ++next;
    if (next == completed.size())
        return false;
    return takesMergedPart(completed[next].text, rest);
}

std::optional<CaptionEntry> UtteranceAssembler::openUtterance() const {
    if (!currentSpeaker_)
        return std::nullopt;
    return CaptionEntry{currentTimestamp_, *currentSpeaker_, currentText_.text()};
}

std::optional<CaptionEntry> UtteranceAssembler::close() {
    if (!currentSpeaker_)
        return std::nullopt;
    std::optional<CaptionEntry> entry = openUtterance();
    reset();
    return entry;
}

void UtteranceAssembler::reset() {
    currentSpeaker_.reset();
    currentTimestamp_ = QDateTime();
    currentText_.assign(QString());
}

void UtteranceAssembler::open(const CaptionEntry& entry) {
    flushesOpen_ = 0;
    currentSpeaker_ = entry.speaker;
    currentTimestamp_ = entry.timestamp;
    currentText_.assign(entry.text);
}

} // namespace velmora
