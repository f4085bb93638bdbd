#include "capture/SessionCoordinator.h"
#include "fakes/ManualClock.h"
#include "fakes/ManualScheduler.h"
#include "fidelity/CollectingWriter.h"
#include "fidelity/FidelityScorer.h"
#include "fidelity/MeetingGenerator.h"
#include "fidelity/MeetingReader.h"
#include "fidelity/PositionalRules.h"

#include <QCoroTask>
#include <gtest/gtest.h>

using namespace velmora;
using namespace velmora::fidelity;

namespace {

QList<CaptionEntry> runCoordinator(const QList<CaptionSnapshot>& polls,
                                   FidelityStyle style = FidelityStyle::meetBlocks) {
    ManualScheduler scheduler;
    ManualClock clock(scheduler);
    SyntheticMeeting meeting;
    meeting.style = style;
    for (const CaptionSnapshot& lines : polls)
        meeting.polls.append({clock.now(), lines});
    auto reader = std::make_shared<MeetingReader>(meeting);
    auto writer = std::make_shared<CollectingWriter>();
    auto coordinator = std::make_shared<SessionCoordinator>(reader, writer, clock);
    QCoro::waitFor(coordinator->start());
    return writer->entries;
}

QList<SpokenLine> transcribe(const SyntheticMeeting& meeting) {
    return spokenLines(runCoordinator(meeting.snapshots(), meeting.style));
}

QStringList texts(const CaptionSnapshot& snapshot) {
    QStringList result;
    for (const CaptionEntry& line : snapshot)
        result << line.speaker + u':' + line.text;
    return result;
}

// Whether `after` shows a different word where `before` had one, after words both show (a
// misheard word corrected), rather than only growing or scrolling.
bool replacesAWord(const QString& before, const QString& after) {
    const QStringList x = FidelityScorer::words(before), y = FidelityScorer::words(after);
    std::vector<std::vector<int>> table(std::size_t(x.size() + 1), std::vector<int>(std::size_t(y.size() + 1), 0));
    for (qsizetype i = x.size() - 1; i >= 0; --i)
        for (qsizetype j = y.size() - 1; j >= 0; --j)
            table[i][j] = x[i] == y[j] ? table[i + 1][j + 1] + 1 : std::max(table[i + 1][j], table[i][j + 1]);
    bool matchedBefore = false;
    for (qsizetype i = 0, j = 0; i < x.size() && j < y.size();) {
        if (x[i] == y[j]) {
            matchedBefore = true;
            ++i;
            ++j;
        } else if (table[i + 1][j] >= table[i][j + 1]) {
            if (matchedBefore)
                return true; // x[i] is gone, and y goes on past the words before it
            ++i;
        } else {
            ++j;
        }
    }
    return false;
}

TEST(CaptureFidelityTest, ScorerCountsWordsOfTheRightSpeakerInOrder) {
    const QList<SpokenLine> truth{{"A", "We ship on Friday."}, {"B", "Sounds good."}};
    FidelityScore score = FidelityScorer::score(truth, truth);
    EXPECT_EQ(score.recall, 1.0);
    EXPECT_EQ(score.precision, 1.0);
    EXPECT_EQ(score.duplicates, 0);

    score = FidelityScorer::score(truth, {{"A", "We ship on Friday"}, {"A", "we ship on friday!"}, {"B", "Sounds good"}});
    EXPECT_EQ(score.recall, 1.0);
    EXPECT_DOUBLE_EQ(score.precision, 0.6);
    EXPECT_EQ(score.duplicates, 1);
    // Words given to the wrong speaker, or lost, do not count.
    score = FidelityScorer::score(truth, {{"A", "We ship on Friday. Sounds good."}});
    EXPECT_DOUBLE_EQ(score.recall, 4.0 / 6.0);
    EXPECT_DOUBLE_EQ(score.precision, 4.0 / 6.0);
    score = FidelityScorer::score(truth, {{"A", "We ship Friday"}, {"B", "Sounds good"}});
    EXPECT_DOUBLE_EQ(score.recall, 5.0 / 6.0);
    EXPECT_EQ(score.precision, 1.0);
    // Out of order counts once.
    score = FidelityScorer::score(truth, {{"B", "Sounds good"}, {"A", "We ship on Friday"}});
    EXPECT_DOUBLE_EQ(score.recall, 4.0 / 6.0);
}

TEST(CaptureFidelityTest, BitParallelCommonSubsequenceEqualsTheTable) {
    FidelityRandom random(5);
    for (int round = 0; round < 300; ++round) {
        std::vector<int> a(std::size_t(random.between(0, 150))), b(std::size_t(random.between(0, 150)));
        const int symbols = random.between(1, 12);
        for (int& x : a)
            x = random.between(0, symbols);
        for (int& x : b)
            x = random.between(0, symbols);
        std::vector<std::vector<int>> table(a.size() + 1, std::vector<int>(b.size() + 1, 0));
        for (std::size_t i = 1; i <= a.size(); ++i)
            for (std::size_t j = 1; j <= b.size(); ++j)
                table[i][j] = a[i - 1] == b[j - 1] ? table[i - 1][j - 1] + 1 : std::max(table[i - 1][j], table[i][j - 1]);
        ASSERT_EQ(FidelityScorer::lcsLength(a, b), table[a.size()][b.size()]) << "round " << round;
    }
}

// The generator is reproducible and shows what makes captions hard: words corrected a poll or
// more later, pauses, cleared caption areas and lines that vanish for one poll.
TEST(CaptureFidelityTest, GeneratedMeetingsAreReproducibleAndHard) {
    for (FidelityStyle style : allFidelityStyles) {
        if (fidelityRevises(style))
            continue; // their own test below
        const SyntheticMeeting meeting = MeetingGenerator::generate(style, 1);
        const SyntheticMeeting again = MeetingGenerator::generate(style, 1);
        ASSERT_EQ(meeting.polls.size(), again.polls.size());
        for (qsizetype i = 0; i < meeting.polls.size(); ++i)
            ASSERT_EQ(meeting.polls[i].lines, again.polls[i].lines);
        EXPECT_NE(MeetingGenerator::generate(style, 2).polls.size(), meeting.polls.size());

        int corrections = 0, pauses = 0, clearedAreas = 0, flickers = 0, emptyRun = 0;
        const QList<SyntheticPoll>& polls = meeting.polls;
        for (qsizetype i = 1; i + 1 < polls.size(); ++i) {
            const CaptionSnapshot& before = polls[i - 1].lines;
            const CaptionSnapshot& now = polls[i].lines;
            const CaptionSnapshot& after = polls[i + 1].lines;
            emptyRun = now.isEmpty() ? emptyRun + 1 : 0;
            if (emptyRun == 5)
                ++clearedAreas;
            if (!now.isEmpty() && texts(now) == texts(before))
                ++pauses;
            if (now.size() < before.size() && now.size() < after.size() && before.size() == after.size())
                ++flickers;
            for (const CaptionEntry& line : now) {
                for (const CaptionEntry& earlier : before) {
                    if (line.speaker == earlier.speaker && replacesAWord(earlier.text, line.text))
                        ++corrections;
                }
            }
        }
        const QByteArray name = fidelityStyleName(style).toUtf8();
        EXPECT_GT(corrections, 10) << name.constData();
        EXPECT_GT(pauses, 20) << name.constData();
        EXPECT_GT(clearedAreas, 0) << name.constData();
        EXPECT_GT(flickers, 0) << name.constData();
        EXPECT_GT(meeting.truth.size(), 30) << name.constData();
    }
}

// The revising styles show what they are for: a line changed before its end in the poll that
// makes it longer, a line that gets shorter, long blocks, and two lines merged into one.
TEST(CaptureFidelityTest, RevisingStylesReviseLinesWhileTheyGrow) {
    for (FidelityStyle style : allFidelityStyles) {
        if (!fidelityRevises(style))
            continue;
        const SyntheticMeeting meeting = MeetingGenerator::generate(style, 1);
        int revisedWhileGrowing = 0, shortened = 0, merged = 0;
        qsizetype longest = 0;
        QList<QStringList> beforeWords;
        for (qsizetype i = 1; i < meeting.polls.size(); ++i) {
            const CaptionSnapshot& before = meeting.polls[i - 1].lines;
            QList<QStringList> nowWords;
            for (const CaptionEntry& line : meeting.polls[i].lines)
                nowWords.append(FidelityScorer::words(line.text));
            for (qsizetype j = 0; j < nowWords.size() && beforeWords.size() == before.size(); ++j) {
                const CaptionEntry& line = meeting.polls[i].lines[j];
                longest = std::max(longest, line.text.size());
                const qsizetype words = nowWords[j].size();
                for (qsizetype k = 0; k < before.size(); ++k) {
                    const CaptionEntry& earlier = before[k];
                    if (line.speaker != earlier.speaker || line.text == earlier.text)
                        continue;
                    const qsizetype earlierWords = beforeWords[k].size();
                    const bool sameStart = nowWords[j].mid(0, 2) == beforeWords[k].mid(0, 2);
                    if (sameStart && words > earlierWords && words < 60 && replacesAWord(earlier.text, line.text))
                        ++revisedWhileGrowing;
                    if (sameStart && words < earlierWords)
                        ++shortened;
                    // The line below, of the same speaker, now goes on in this one.
                    if (line.text.startsWith(earlier.text + u' ') && k + 1 < before.size() &&
                        before[k + 1].speaker == line.speaker &&
                        line.text.mid(earlier.text.size() + 1).startsWith(before[k + 1].text.section(u' ', 0, 0)))
                        ++merged;
                }
            }
            beforeWords = nowWords;
        }
        const QByteArray name = fidelityStyleName(style).toUtf8();
        EXPECT_GT(revisedWhileGrowing, 10) << name.constData();
        EXPECT_GT(shortened, 0) << name.constData();
        if (style == FidelityStyle::meetRevising) {
            EXPECT_GT(longest, 800) << name.constData();
        }
        if (style == FidelityStyle::meetRevising || style == FidelityStyle::teamsRevising) {
            EXPECT_GT(merged, 0) << name.constData();
        }
    }
}

// Three meetings per style (the benchmark runs 200): every word said once, nothing lost.
TEST(CaptureFidelityTest, CoordinatorMeetsTheFidelityGoalsInEveryStyle) {
    for (FidelityStyle style : allFidelityStyles) {
        double recall = 0, precision = 0;
        int duplicates = 0;
        for (std::uint64_t seed = 1; seed <= 3; ++seed) {
            const SyntheticMeeting meeting = MeetingGenerator::generate(style, seed);
            const FidelityScore score = FidelityScorer::score(meeting.truth, transcribe(meeting));
            recall += score.recall / 3;
            precision += score.precision / 3;
            duplicates += score.duplicates;
        }
        const QByteArray name = fidelityStyleName(style).toUtf8();
        const bool revising = fidelityRevises(style);
        EXPECT_GE(recall, revising ? 0.998 : 0.999) << name.constData();
        EXPECT_GE(precision, revising || fidelityLayout(style) == FidelityStyle::rollingLine ? 0.98 : 0.99)
            << name.constData();
        // A line merged into another while a revision is pending can still be taken for new.
        EXPECT_LE(duplicates, revising ? 6 : 0) << name.constData();
    }
}

// Captions that never scroll, reuse a line or correct an earlier one give exactly the entries
// (and so the transcript bytes) that the position-by-position rules gave. (Lines say no word
// twice: a line whose end repeats its start was glued to its own correction by those rules.)
TEST(CaptureFidelityTest, PlainCaptionsGiveWhatThePositionalRulesGave) {
    const QStringList words = QStringLiteral("we should ship the release on friday because numbers look good "
                                             "but support tickets are still high so let us review them first")
                                  .split(u' ');
    const QStringList speakers{"Alice", "Bob", "Carol"};
    for (std::uint64_t seed = 1; seed <= 60; ++seed) {
        FidelityRandom random(seed);
        QList<CaptionSnapshot> polls;
        ManualScheduler scheduler;
        ManualClock clock(scheduler);
        int speaker = 0;
        for (int utterance = random.between(3, 30); utterance > 0; --utterance) {
            speaker = (speaker + random.between(1, 2)) % 3;
            QStringList said;
            QStringList unsaid = words;
            for (int length = random.between(1, 14); length > 0; --length) {
                said << unsaid.takeAt(random.between(0, int(unsaid.size()) - 1));
                QStringList shown = said;
                // Now and then the newest word is misheard and corrected at the next poll.
                if (said.size() > 2 && random.chance(0.2))
                    shown.last() = unsaid[random.between(0, int(unsaid.size()) - 1)];
                polls.append({{clock.now(), speakers[speaker], shown.join(u' ')}});
                if (random.chance(0.1))
                    polls.append(CaptionSnapshot{});
            }
            polls.append({{clock.now(), speakers[speaker], said.join(u' ') + u'.'}});
        }
        ASSERT_EQ(runCoordinator(polls), PositionalRules::transcribe(polls)) << "seed " << seed;
    }
}

} // namespace
