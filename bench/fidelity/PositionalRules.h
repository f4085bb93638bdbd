#pragma once

#include "capture/TranscriptAssembler.h"
#include "fidelity/SyntheticMeeting.h"

#include <QSet>

namespace velmora::fidelity {

// The first rules of the session coordinator, kept here to measure against: each line is
// compared with the line at the same position of the previous snapshot; an open utterance
// grows by merging, a revised line replaces it, anything else closes it; every flush hands
// over all completed utterances. Same cadence as the coordinator: a flush every 10 non-empty
// snapshots, the end after 120 empty ones or at the end of the polls.
class PositionalRules {
public:
    static QList<CaptionEntry> transcribe(const QList<CaptionSnapshot>& polls) {
        PositionalRules rules;
        qint64 empty = 0;
        qint64 sinceFlush = 0;
        for (const CaptionSnapshot& poll : polls) {
            if (poll.isEmpty()) {
                if (++empty >= 120)
                    break;
                continue;
            }
            empty = 0;
            rules.pending_.append(poll);
            if (++sinceFlush >= 10) {
                rules.flush(false);
                sinceFlush = 0;
            }
        }
        rules.flush(true);
        return rules.written_;
    }
    static QList<SpokenLine> transcribe(const SyntheticMeeting& meeting) {
        return spokenLines(transcribe(meeting.snapshots()));
    }

private:
    void flush(bool isFinal) {
        QList<CaptionEntry> changes;
        QSet<qsizetype> revised;
        for (const CaptionSnapshot& snapshot : std::as_const(pending_)) {
            for (qsizetype i = 0; i < snapshot.size(); ++i) {
                const CaptionEntry& entry = snapshot[i];
                if (i < last_.size() && last_[i].speaker == entry.speaker) {
                    if (last_[i].text == entry.text)
                        continue;
                    revised.insert(changes.size());
                }
                changes.append(entry);
            }
            last_.clear();
            for (const CaptionEntry& entry : snapshot)
                last_.append({entry.speaker, entry.text});
        }
        pending_.clear();
        for (qsizetype k = 0; k < changes.size(); ++k) {
            const CaptionEntry& entry = changes[k];
            if (!open_) {
                open(entry);
            } else if (entry.speaker != current_.speaker) {
                completed_.append(current_);
                open(entry);
            } else if (auto merged = TranscriptAssembler::mergeOverlapping(current_.text, entry.text)) {
                current_.text = *merged;
            } else if (revised.contains(k)) {
                current_.text = entry.text;
            } else {
                completed_.append(current_);
                open(entry);
            }
        }
        if (isFinal && open_) {
            completed_.append(current_);
            open_ = false;
        }
        written_ += completed_;
        completed_.clear();
    }
    void open(const CaptionEntry& entry) {
        open_ = true;
        current_ = entry;
    }

    QList<CaptionSnapshot> pending_;
    QList<SpokenLine> last_;
    QList<CaptionEntry> completed_;
    QList<CaptionEntry> written_;
    bool open_ = false;
    CaptionEntry current_;
};

} // namespace velmora::fidelity
