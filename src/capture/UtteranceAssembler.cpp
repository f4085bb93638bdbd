#include "capture/UtteranceAssembler.h"

namespace velmora {

void UtteranceAssembler::assemble(const SnapshotChanges& changes, QList<CaptionEntry>& completed) {
    for (qsizetype k = 0; k < changes.changes.size(); ++k) {
        const CaptionEntry& entry = changes.changes[k];
        if (!currentSpeaker_) {
            open(entry);
        } else if (entry.speaker != *currentSpeaker_) {
            completed.append(*close());
            open(entry);
        } else if (currentText_.merge(entry.text)) {
            // Grown (or unchanged); speaker and start time stay.
        } else if (changes.revised.contains(k)) {
            currentText_.assign(entry.text);
        } else {
            completed.append(*close());
            open(entry);
        }
    }
}

std::optional<CaptionEntry> UtteranceAssembler::close() {
    if (!currentSpeaker_)
        return std::nullopt;
    CaptionEntry entry{currentTimestamp_, *currentSpeaker_, currentText_.text()};
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
