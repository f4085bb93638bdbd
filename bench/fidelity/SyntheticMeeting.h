#pragma once

#include "capture/CaptionEntry.h"

#include <QDateTime>
#include <QList>
#include <QString>

#include <cstdint>

namespace velmora::fidelity {

enum class FidelityStyle {
    meetBlocks,    // per-speaker blocks, old blocks scroll off the top, late corrections
    teamsItems,    // one item per sentence, often the same speaker, the list scrolls
    zoomWebSlots,  // unnamed line elements that are reused, labelled "Speaker N"
    rollingLine,   // a desktop client's line showing only the last ~60 characters
    // The same four, with a recogniser that keeps revising what it showed while the speaker
    // goes on: words far back replaced, dropped or split in the poll that adds new ones,
    // punctuation and case changed, sentences split and joined, two lines merged, repeated
    // words, and blocks of up to 1,000 characters.
    meetRevising,
    teamsRevising,
    zoomWebRevising,
    rollingRevising,
};

inline constexpr FidelityStyle allFidelityStyles[] = {
    FidelityStyle::meetBlocks,   FidelityStyle::teamsItems,    FidelityStyle::zoomWebSlots,
    FidelityStyle::rollingLine,  FidelityStyle::meetRevising,  FidelityStyle::teamsRevising,
    FidelityStyle::zoomWebRevising, FidelityStyle::rollingRevising};

// The caption area a style simulates (one of the first four).
inline FidelityStyle fidelityLayout(FidelityStyle style) {
    switch (style) {
    case FidelityStyle::meetRevising: return FidelityStyle::meetBlocks;
    case FidelityStyle::teamsRevising: return FidelityStyle::teamsItems;
    case FidelityStyle::zoomWebRevising: return FidelityStyle::zoomWebSlots;
    case FidelityStyle::rollingRevising: return FidelityStyle::rollingLine;
    default: return style;
    }
}

inline bool fidelityRevises(FidelityStyle style) { return fidelityLayout(style) != style; }

inline QString fidelityStyleName(FidelityStyle style) {
    switch (style) {
    case FidelityStyle::meetBlocks: return QStringLiteral("meet");
    case FidelityStyle::teamsItems: return QStringLiteral("teams");
    case FidelityStyle::zoomWebSlots: return QStringLiteral("zoomweb");
    case FidelityStyle::rollingLine: return QStringLiteral("rolling");
    case FidelityStyle::meetRevising: return QStringLiteral("meet-rev");
    case FidelityStyle::teamsRevising: return QStringLiteral("teams-rev");
    case FidelityStyle::zoomWebRevising: return QStringLiteral("zoomweb-rev");
    case FidelityStyle::rollingRevising: return QStringLiteral("rolling-rev");
    }
    return {};
}

// One utterance: who said it and its final text (ground truth), or one transcript entry.
struct SpokenLine {
    QString speaker;
    QString text;
};

// One reader poll: its time and the lines it saw (empty when nothing was visible).
struct SyntheticPoll {
    QDateTime time;
    CaptionSnapshot lines;
};

struct SyntheticMeeting {
    FidelityStyle style = FidelityStyle::meetBlocks;
    std::uint64_t seed = 0;
    QList<SyntheticPoll> polls;
    QList<SpokenLine> truth;

    QList<CaptionSnapshot> snapshots() const {
        QList<CaptionSnapshot> result;
        for (const SyntheticPoll& poll : polls)
            result.append(poll.lines);
        return result;
    }
};

// A transcript's entries without their times, as the scorer reads them.
inline QList<SpokenLine> spokenLines(const QList<CaptionEntry>& entries) {
    QList<SpokenLine> lines;
    for (const CaptionEntry& entry : entries)
        lines.append({entry.speaker, entry.text});
    return lines;
}

} // namespace velmora::fidelity
