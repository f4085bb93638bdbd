#include "capture/SnapshotDiffer.h"

#include "capture/ComparableText.h"
#include "capture/TranscriptAssembler.h"

#include <algorithm>
#include <optional>
#include <vector>

namespace velmora {

namespace {
constexpr qsizetype unpaired = -1;
// Snapshots a vanished line is remembered for.
constexpr int rememberedSnapshots = 2;
// A former line of a speaker up to this many words long may be read as the same line as a new
// one by chance.
constexpr qsizetype maxAlikeByChanceWords = 8;
} // namespace

void SnapshotDiffer::diff(const CaptionSnapshot& snapshot, QList<CaptionChange>& into) {
    const qsizetype np = reference_.size();
    const qsizetype nc = snapshot.size();
    const bool linesFixed = !linesCanScroll_;

    // Which lines are the same line; comparison forms are made only where needed.
    auto olderForms = std::vector<std::optional<ComparableText>>(std::size_t(np));
    auto newerForms = std::vector<std::optional<ComparableText>>(std::size_t(nc));
    std::vector<char> same(std::size_t(np * nc), 0);
    for (qsizetype i = 0; i < np; ++i) {
        for (qsizetype j = 0; j < nc; ++j) {
            const ReferenceLine& older = reference_[i];
            const CaptionEntry& newer = snapshot[j];
            if (older.speaker != newer.speaker)
                continue;
            bool isSame = older.text == newer.text;
            if (!isSame) {
                if (!olderForms[std::size_t(i)])
                    olderForms[std::size_t(i)].emplace(older.text);
                if (!newerForms[std::size_t(j)])
                    newerForms[std::size_t(j)].emplace(newer.text);
                // A rolling line scrolled past most of it is that line too: else a line it left
                // behind a poll ago, remembered, may take its place.
                isSame = TranscriptAssembler::sameLine(older.text, newer.text,
                                                       *olderForms[std::size_t(i)],
                                                       *newerForms[std::size_t(j)]) ||
                         (linesCanScroll_ &&
                          TranscriptAssembler::scrolledOn(older.text, newer.text,
                                                          *olderForms[std::size_t(i)],
                                                          *newerForms[std::size_t(j)]));
            }
            same[std::size_t(i * nc + j)] = isSame;
        }
    }

    // A line that vanished when other lines took its place comes back changed only among lines
    // that stayed; alone, a similar line of its speaker is rather a new one. Where lines cannot
    // scroll, a long line that comes back the same line is that line: no new sentence is that
    // alike.
    bool anyStayed = false;
    for (qsizetype k = 0; k < np * nc && !anyStayed; ++k)
        anyStayed = same[std::size_t(k)] && !reference_[k / nc].vanished;
    for (qsizetype k = 0; k < np * nc && !anyStayed; ++k) {
        const ReferenceLine& older = reference_[k / nc];
        if (same[std::size_t(k)] && older.replaced && older.text != snapshot[k % nc].text &&
            !(linesFixed && olderForms[std::size_t(k / nc)]->wordCount() > maxAlikeByChanceWords))
            same[std::size_t(k)] = 0;
    }

    // Largest ordered matching; a line of the last snapshot outweighs all vanished lines
    // together, so that a line that came back never takes the place of one that stayed.
    const int present = int(np) + 1;
    auto weight = [&](qsizetype i) { return reference_[i].vanished ? 1 : present; };
    std::vector<int> best(std::size_t((np + 1) * (nc + 1)), 0);
    auto bestAt = [&](qsizetype i, qsizetype j) -> int& { return best[std::size_t(i * (nc + 1) + j)]; };
    for (qsizetype i = np - 1; i >= 0; --i) {
        for (qsizetype j = nc - 1; j >= 0; --j) {
            int value = std::max(bestAt(i + 1, j), bestAt(i, j + 1));
            if (same[std::size_t(i * nc + j)])
                value = std::max(value, bestAt(i + 1, j + 1) + weight(i));
            bestAt(i, j) = value;
        }
    }
    // Earliest pairs first: a line that scrolled away is dropped before a new one is assumed.
    std::vector<qsizetype> pairOf(std::size_t(nc), unpaired);
    std::vector<char> anchor(std::size_t(nc), 0);
    std::vector<char> olderPaired(std::size_t(np), 0);
    std::vector<char> olderMatched(std::size_t(np), 0);
    for (qsizetype i = 0, j = 0; i < np && j < nc;) {
        if (same[std::size_t(i * nc + j)] && bestAt(i, j) == bestAt(i + 1, j + 1) + weight(i)) {
            pairOf[std::size_t(j)] = i;
            anchor[std::size_t(j)] = 1;
            olderPaired[std::size_t(i)] = 1;
            olderMatched[std::size_t(i)] = 1;
            ++i;
            ++j;
        } else if (bestAt(i + 1, j) == bestAt(i, j)) {
            ++i;
        } else {
            ++j;
        }
    }
    // Where places are never reused, lines that went blank for a poll while the lines around
    // them stayed come back in their places, revised.
    const bool anyAnchor = std::find(anchor.begin(), anchor.end(), 1) != anchor.end();
    // Between two anchors, a line whose place now holds a line of the same speaker was revised
    // (or its place reused); the assembly tells which.
    for (qsizetype j = 0, olderFrom = 0, newerFrom = 0; j <= nc; ++j) {
        if (j < nc && !anchor[std::size_t(j)])
            continue;
        const qsizetype olderEnd = j < nc ? pairOf[std::size_t(j)] : np;
        const bool returning = anyAnchor && !linesCanScroll_ && !reusesLinePlaces_ &&
                               onlyBlankedLines(olderFrom, olderEnd);
        for (qsizetype a = olderFrom, b = newerFrom; a < olderEnd && b < j; ++a) {
            if (reference_[a].vanished && !returning)
                continue;
            if (reference_[a].speaker == snapshot[b].speaker) {
                pairOf[std::size_t(b)] = a;
                olderPaired[std::size_t(a)] = 1;
            }
            ++b;
        }
        if (j < nc) {
            olderFrom = pairOf[std::size_t(j)] + 1;
            newerFrom = j + 1;
        }
    }

    for (qsizetype j = 0; j < nc; ++j) {
        const CaptionEntry& entry = snapshot[j];
        const qsizetype older = pairOf[std::size_t(j)];
        if (older != unpaired && reference_[older].text == entry.text)
            continue;
        CaptionChange change{entry, std::nullopt, false, false, true, linesCanScroll_, reusesLinePlaces_};
        if (older != unpaired) {
            change.previousText = reference_[older].text;
            change.sameLineAsPrevious = same[std::size_t(older * nc + j)];
        }
        for (qsizetype k = 0; k < j; ++k)
            change.anchoredAbove = change.anchoredAbove || anchor[std::size_t(k)];
        for (qsizetype k = j + 1; k < nc; ++k) {
            change.anchored = change.anchored || anchor[std::size_t(k)];
            if (snapshot[k].speaker == entry.speaker) {
                change.newest = false;
                change.laterLineShown = true;
            }
        }
        // A line of the speaker below this one that vanished is still the later one.
        for (qsizetype i = older + 1; older != unpaired && i < np; ++i) {
            if (!olderPaired[std::size_t(i)] && reference_[i].speaker == entry.speaker)
                change.newest = false;
        }
        into.append(change);
    }

    // The next snapshot is compared with this one plus the lines that vanished now (each before
    // the new lines of its gap, where it stood).
    QList<ReferenceLine> next;
    next.reserve(nc + np);
    for (qsizetype j = 0, olderFrom = 0, newerFrom = 0; j <= nc; ++j) {
        if (j < nc && !anchor[std::size_t(j)])
            continue;
        const qsizetype olderEnd = j < nc ? pairOf[std::size_t(j)] : np;
        const bool newLinesHere = newerFrom < j;
        for (qsizetype a = olderFrom; a < olderEnd; ++a) {
            const ReferenceLine& older = reference_[a];
            if (!olderMatched[std::size_t(a)] && older.missing < rememberedSnapshots)
                next.append({older.speaker, older.text, true, older.replaced || newLinesHere, older.missing + 1});
        }
        for (qsizetype b = newerFrom; b < std::min(j + 1, nc); ++b)
            next.append({snapshot[b].speaker, snapshot[b].text, false, false, 0});
        if (j < nc) {
            olderFrom = pairOf[std::size_t(j)] + 1;
            newerFrom = j + 1;
        }
    }
    reference_ = std::move(next);
}

bool SnapshotDiffer::onlyBlankedLines(qsizetype from, qsizetype end) const {
    for (qsizetype a = from; a < end; ++a) {
        const ReferenceLine& line = reference_[a];
        if (!line.vanished || line.replaced || line.missing != 1)
            return false;
    }
    return from < end;
}

} // namespace velmora
