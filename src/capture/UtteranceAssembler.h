#pragma once

#include "capture/AccumulatedText.h"
#include "capture/SnapshotChanges.h"

#include <optional>

namespace velmora {

// Second flush phase: keeps the one open utterance (speaker, text, start time), grows it with
// each changed line of its speaker that continues it, and closes it when another speaker
// talks or the same speaker starts a line that does not continue it.
class UtteranceAssembler {
public:
    // Feeds the changes of one flush; utterances closed by them are appended to `completed`.
    void assemble(const SnapshotChanges& changes, QList<CaptionEntry>& completed);
    // Closes the open utterance, if any.
    std::optional<CaptionEntry> close();
    void reset();
    bool isOpen() const { return currentSpeaker_.has_value(); }

private:
    void open(const CaptionEntry& entry);

    std::optional<QString> currentSpeaker_;
    QDateTime currentTimestamp_;
    AccumulatedText currentText_;
};

} // namespace velmora
