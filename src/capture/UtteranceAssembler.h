#pragma once

#include "capture/AccumulatedText.h"
#include "capture/CaptionChange.h"

#include <optional>

namespace velmora {

// Second flush phase: keeps the one open utterance (speaker, text, start time), grows it with
// each changed line of its speaker that continues it, and closes it when another speaker
// talks or the same speaker starts a line that does not continue it. A revised line that is
// not the open utterance's latest line corrects the completed utterance it belongs to, as long
// as that one has not been handed to the writer.
class UtteranceAssembler {
public:
    // Feeds the changes of one flush; utterances closed by them are appended to `completed`,
    // and late corrections go into the entries of `completed`.
    void assemble(const QList<CaptionChange>& changes, QList<CaptionEntry>& completed);
    // A poll that showed no line: the open utterance is a poll older.
    void passEmptyPoll() { flushesOpen_ = std::min(flushesOpen_ + 1, 2); }
    // The utterance still open, as it stands.
    std::optional<CaptionEntry> openUtterance() const;
    // Closes the open utterance, if any.
    std::optional<CaptionEntry> close();
    void reset();

private:
    void open(const CaptionEntry& entry);
    // A line that is not a revision: it grows the open utterance or starts the next one.
    void addLine(const CaptionChange& change, QList<CaptionEntry>& completed);
    bool startsNextLine(const CaptionChange& change) const;
    QString scrolledBackPart(const QString& previous) const;
    void correctCompleted(const CaptionChange& change, QList<CaptionEntry>& completed);
    struct MergedPart {
        qsizetype count; // code units at the end of the utterance that are replaced
        QString tail;
    };
    static std::optional<MergedPart> mergedPart(const QString& text, const QString& previous, const QString& newText);
    bool continuesMergedLine(const CaptionChange& change);
    bool absorbsOpenLine(const CaptionChange& change, QList<CaptionEntry>& completed);
    static bool takesMergedPart(QString& text, const QString& added);
    static bool handsOnToNext(const QString& added, qsizetype target, QList<CaptionEntry>& completed);
    bool revisedInPlace(const CaptionChange& change, bool endsWithPrevious) const;
    bool isFirstGuess(const CaptionChange& change) const;
    bool revisesOpenGuess(const CaptionChange& change) const;
    bool isFreshGuess() const;

    std::optional<QString> currentSpeaker_;
    QDateTime currentTimestamp_;
    AccumulatedText currentText_;
    int flushesOpen_ = 0; // polls since the open utterance was opened (counted up to 2)
};

} // namespace velmora
