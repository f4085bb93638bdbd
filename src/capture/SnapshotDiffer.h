#pragma once

#include "capture/CaptionChange.h"

#include <QList>
#include <QString>

namespace velmora {

// First flush phase: finds, for each snapshot, which of its lines continue which lines of the
// snapshot before. Meeting clients scroll old lines away, insert new ones, reuse a line's place
// for the next sentence and sometimes drop a line for one poll, so lines are not paired by
// position: the pairs are the largest ordered matching of lines of the same speaker that are
// the same line (TranscriptAssembler::sameLine, or where lines scroll, scrolledOn); lines
// between two such pairs pair up by position when their speakers agree. A line that vanishes is
// remembered for a few more snapshots, so that it is not taken for new when it comes back.
class SnapshotDiffer {
public:
    // Appends the new and changed lines of `snapshot` to `into`, then remembers the snapshot.
    void diff(const CaptionSnapshot& snapshot, QList<CaptionChange>& into);
    void reset() { reference_.clear(); }
    // What the source says of its lines; carried on every change (CaptionChange::linesCanScroll).
    void setLinesCanScroll(bool canScroll) { linesCanScroll_ = canScroll; }
    void setReusesLinePlaces(bool reuses) { reusesLinePlaces_ = reuses; }

private:
    struct ReferenceLine {
        QString speaker;
        QString text;
        bool vanished = false; // not in the last snapshot
        bool replaced = false; // vanished while new lines appeared at its place
        int missing = 0;       // snapshots it has been missing from
    };

    // Whether the remembered lines [from, end) all went blank in the last snapshot alone, with
    // nothing new in their place.
    bool onlyBlankedLines(qsizetype from, qsizetype end) const;

    QList<ReferenceLine> reference_;
    bool linesCanScroll_ = true;
    bool reusesLinePlaces_ = true;
};

} // namespace velmora
