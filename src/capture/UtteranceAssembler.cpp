#include "capture/UtteranceAssembler.h"

#include "capture/ComparableText.h"
#include "capture/TranscriptAssembler.h"

namespace velmora {

namespace {
constexpr qsizetype maxFirstGuessWords = 3;
} // namespace

void UtteranceAssembler::assemble(const QList<CaptionChange>& changes, QList<CaptionEntry>& completed) {
    for (const CaptionChange& change : changes) {
        const CaptionEntry& entry = change.entry;
        if (!currentSpeaker_) {
            open(entry);
            continue;
        }
        if (!change.previousText) {
            addLine(entry, completed);
            continue;
        }
        const QString& previous = *change.previousText;
        // Nothing pins the line to its place and it is not the same line: its place now
        // holds the next sentence.
        if (!change.anchored && !change.sameLineAsPrevious) {
            if (isFirstGuess(change))
                currentText_.assign(entry.text);
            else
                addLine(entry, completed);
            continue;
        }
        const bool endsWithPrevious = !previous.isEmpty() && currentText_.text().endsWith(previous);
        if (entry.speaker == *currentSpeaker_ && (change.newest || endsWithPrevious)) {
            // The open utterance's own line changed; its start time stays.
            if (endsWithPrevious) {
                const auto [kept, from] = TranscriptAssembler::spliceCut(previous, entry.text);
                currentText_.replaceEnd(previous.size() - kept, QStringView(entry.text).mid(from));
            } else if (!currentText_.merge(entry.text)) {
                completed.append(*close());
                open(entry);
            }
            continue;
        }
        correctCompleted(change, completed);
    }
}

bool UtteranceAssembler::isFirstGuess(const CaptionChange& change) const {
    // The open utterance is nothing but the line's first few words, unfinished, and the line
    // now says more: the recogniser revised its first guess (a misheard first word), it did not
    // start a new sentence in the same place.
    const QString& previous = *change.previousText;
    if (change.entry.speaker != *currentSpeaker_ || !change.newest || currentText_.text() != previous)
        return false;
    const QStringView trimmed = QStringView(previous).trimmed();
    static const QString sentenceEnds = QStringLiteral(".?!\u2026\u3002\uff1f\uff01");
    if (trimmed.isEmpty() || sentenceEnds.contains(trimmed.back()))
        return false;
    const qsizetype words = ComparableText(previous).wordCount();
    return words <= maxFirstGuessWords && ComparableText(change.entry.text).wordCount() > words;
}

void UtteranceAssembler::addLine(const CaptionEntry& entry, QList<CaptionEntry>& completed) {
    if (entry.speaker == *currentSpeaker_ && currentText_.merge(entry.text))
        return;
    completed.append(*close());
    open(entry);
}

void UtteranceAssembler::correctCompleted(const CaptionChange& change, QList<CaptionEntry>& completed) {
    const CaptionEntry& entry = change.entry;
    const QString& previous = *change.previousText;
    // The speaker's latest completed utterance that ends with the old line, else their latest.
    qsizetype target = -1;
    for (qsizetype k = completed.size() - 1; k >= 0; --k) {
        if (completed[k].speaker != entry.speaker)
            continue;
        if (target < 0)
            target = k;
        if (!previous.isEmpty() && completed[k].text.endsWith(previous)) {
            target = k;
            break;
        }
    }
    // Already written (or never seen): the correction is dropped rather than written twice.
    if (target < 0)
        return;
    QString& text = completed[target].text;
    if (std::optional<QString> spliced = TranscriptAssembler::splice(text, previous, entry.text))
        text = *spliced;
    else if (std::optional<QString> merged = TranscriptAssembler::mergeOverlapping(text, entry.text))
        text = *merged;
    else if (TranscriptAssembler::sameLine(text, entry.text))
        text = entry.text;
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
    currentSpeaker_ = entry.speaker;
    currentTimestamp_ = entry.timestamp;
    currentText_.assign(entry.text);
}

} // namespace velmora
