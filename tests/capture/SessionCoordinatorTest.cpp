#include "capture/SessionCoordinator.h"
#include "capture/VelmoraError.h"
#include "fakes/DeferredExecutor.h"
#include "fakes/ManualClock.h"
#include "fakes/ManualScheduler.h"
#include "fakes/RecordingTranscriptWriter.h"
#include "fakes/ScriptedCaptionReader.h"

#include <gtest/gtest.h>

using namespace velmora;
using namespace std::chrono_literals;

namespace {

struct SessionOutcome {
    std::optional<SessionStopReason> reason;
    std::optional<QString> error;
};

QCoro::Task<> runSession(std::shared_ptr<SessionCoordinator> coordinator, SessionOutcome* out) {
    try {
        auto session = coordinator->start();
        out->reason = co_await session;
    } catch (const VelmoraError& error) {
        out->error = error.message();
    } catch (const FileError& error) {
        out->error = error.message();
    }
}

QCoro::Task<> runStop(std::shared_ptr<SessionCoordinator> coordinator, bool* done) {
    auto stopping = coordinator->stop();
    co_await stopping;
    *done = true;
}

// The fakes never suspend, so the whole session runs inline: every poll is processed before
// poll() returns.
class SessionCoordinatorTest : public ::testing::Test {
protected:
    ManualScheduler scheduler;
    ManualClock clock{scheduler};
    std::shared_ptr<ScriptedCaptionReader> reader = std::make_shared<ScriptedCaptionReader>();
    std::shared_ptr<RecordingTranscriptWriter> writer = std::make_shared<RecordingTranscriptWriter>();
    QList<CaptionSnapshot> liveSnapshots;
    std::shared_ptr<SessionCoordinator> coordinator = std::make_shared<SessionCoordinator>(
        reader, writer, clock, [this](const CaptionSnapshot& s) { liveSnapshots.append(s); });
    SessionOutcome outcome;
    const QDateTime origin = clock.now();

    void start() { runSession(coordinator, &outcome); }

    // One poll a second later than the previous one; every line carries the poll's time.
    void poll(const QList<std::pair<QString, QString>>& lines) {
        scheduler.advance(1000ms);
        CaptionSnapshot snapshot;
        for (const auto& [speaker, text] : lines)
            snapshot.append({clock.now(), speaker, text});
        reader->poll(snapshot);
    }
    QDateTime timeOfPoll(int number) const { return origin.addSecs(number); }
    static QStringList texts(const QList<CaptionEntry>& entries) {
        QStringList result;
        for (const CaptionEntry& entry : entries)
            result << entry.speaker + QStringLiteral(": ") + entry.text;
        return result;
    }
};

TEST_F(SessionCoordinatorTest, GrowingLineIsOneUtteranceWrittenWhenTheSessionEnds) {
    start();
    EXPECT_EQ(writer->startTime, clock.now());
    EXPECT_TRUE(coordinator->isRunning());
    poll({{"A", "Hello"}});
    poll({{"A", "Hello world"}});
    poll({{"A", "Hello world, how are"}});
    EXPECT_EQ(writer->appendCalls, 0);

    reader->end();
    ASSERT_EQ(outcome.reason, SessionStopReason::sourceEnded);
    EXPECT_FALSE(coordinator->isRunning());
    EXPECT_EQ(reader->stopCount, 1);
    ASSERT_EQ(writer->batches.size(), 1);
    const QList<CaptionEntry> expected{{timeOfPoll(1), "A", "Hello world, how are"}};
    EXPECT_EQ(writer->batches[0], expected);
    // The live view saw every raw snapshot.
    ASSERT_EQ(liveSnapshots.size(), 3);
    EXPECT_EQ(liveSnapshots[1].front().text, "Hello world");
}

TEST_F(SessionCoordinatorTest, LineScrollingUpUnderAnotherSpeakerIsNotDuplicated) {
    start();
    poll({{"A", "one"}, {"B", "two"}});
    poll({{"B", "two"}, {"A", "three"}});
    reader->end();
    EXPECT_EQ(texts(writer->written()), QStringList({"A: one", "B: two", "A: three"}));
}

TEST_F(SessionCoordinatorTest, NewUnrelatedLineOfTheSameSpeakerStartsANewUtterance) {
    start();
    poll({{"A", "Good morning everyone"}});
    poll({{"A", "Good morning everyone"}, {"A", "Let us start"}});
    reader->end();
    const QList<CaptionEntry> expected{{timeOfPoll(1), "A", "Good morning everyone"},
                                       {timeOfPoll(2), "A", "Let us start"}};
    EXPECT_EQ(writer->written(), expected);
}

TEST_F(SessionCoordinatorTest, CorrectedLineKeepsItsStartTimeAndTheNextSentenceInItsPlaceIsKept) {
    start();
    poll({{"A", "I think we shod"}});
    poll({{"A", "I think we should"}});
    // The line's place now holds the next sentence (a reused line element): both are kept.
    poll({{"A", "Let me rephrase that"}});
    reader->end();
    const QList<CaptionEntry> expected{{timeOfPoll(1), "A", "I think we should"},
                                       {timeOfPoll(3), "A", "Let me rephrase that"}};
    EXPECT_EQ(writer->written(), expected);
}

TEST_F(SessionCoordinatorTest, SameSpeakerLineScrollingUpIsNeitherLostNorRepeated) {
    start();
    poll({{"A", "first sentence here"}});
    poll({{"A", "first sentence here"}, {"A", "second one"}});
    poll({{"A", "second one"}, {"A", "third part"}});
    reader->end();
    EXPECT_EQ(texts(writer->written()),
              QStringList({"A: first sentence here", "A: second one", "A: third part"}));
}

// Where lines cannot scroll, a guess that moved up as the line above left and was revised as it
// moved is kept once; a different sentence in its place is not taken for it.
TEST_F(SessionCoordinatorTest, GuessRevisedAsItMovesUpIsKeptOnceWhereLinesCannotScroll) {
    reader->canScroll = false;
    start();
    poll({{"B", "Okay then."}, {"A", "data have process"}});
    poll({{"B", "Okay then."}, {"A", "data have process webinar okay"}});
    poll({{"A", "Slides have process later okay"}, {"C", "To project"}});
    poll({{"A", "Slides have process later okay."}, {"C", "To project think them."}});
    poll({{"C", "To project think them."}, {"A", "The budget needs another look"}});
    poll({{"A", "The plan needs more time."}, {"B", "Right."}});
    reader->end();
    EXPECT_EQ(texts(writer->written()),
              QStringList({"B: Okay then.", "A: Slides have process later okay.",
                           "C: To project think them.", "A: The budget needs another look",
                           "A: The plan needs more time.", "B: Right."}));
}

// Blocks that scroll off the top move every line to another place; none is written twice.
TEST_F(SessionCoordinatorTest, BlocksScrollingOffTheTopAreWrittenOnce) {
    start();
    poll({{"A", "Alpha speaks first."}, {"B", "Bravo answers."}, {"C", "Charlie"}});
    poll({{"B", "Bravo answers."}, {"C", "Charlie adds more"}, {"D", "Delta"}});
    poll({{"C", "Charlie adds more"}, {"D", "Delta closes."}});
    reader->end();
    EXPECT_EQ(texts(writer->written()), QStringList({"A: Alpha speaks first.", "B: Bravo answers.",
                                                     "C: Charlie adds more", "D: Delta closes."}));
}

// After the caption area cleared, the first line is new even where an old one of its speaker
// stood.
TEST_F(SessionCoordinatorTest, LineAfterAClearedAreaIsNew) {
    start();
    poll({{"A", "We ship on Friday."}, {"B", "Sounds good."}});
    reader->pollEmpty(8);
    poll({{"A", "Next topic is hiring"}});
    reader->end();
    EXPECT_EQ(texts(writer->written()),
              QStringList({"A: We ship on Friday.", "B: Sounds good.", "A: Next topic is hiring"}));
}

TEST_F(SessionCoordinatorTest, LineGrowingBelowAnUnchangedOneOfTheSameSpeakerStaysItsOwn) {
    start();
    poll({{"A", "First point is settled."}, {"A", "Second"}});
    poll({{"A", "First point is settled."}, {"A", "Second point needs work"}});
    reader->end();
    EXPECT_EQ(texts(writer->written()),
              QStringList({"A: First point is settled.", "A: Second point needs work"}));
}

// The client corrects a block after the next speaker started: the correction goes into the
// block's utterance (its time and place kept), also when a flush came in between.
TEST_F(SessionCoordinatorTest, LateCorrectionOfAnEarlierBlockGoesIntoItsUtterance) {
    start();
    poll({{"A", "We ship on Fryday"}});
    for (int i = 2; i <= 10; ++i)
        poll({{"A", "We ship on Fryday"}, {"B", i < 10 ? "Sounds" : "Sounds good"}});
    EXPECT_EQ(writer->appendCalls, 0); // the only completed utterance is kept back
    poll({{"A", "We ship on Friday."}, {"B", "Sounds good to me"}});
    reader->end();
    const QList<CaptionEntry> expected{{timeOfPoll(1), "A", "We ship on Friday."},
                                       {timeOfPoll(2), "B", "Sounds good to me"}};
    EXPECT_EQ(writer->written(), expected);
}

TEST_F(SessionCoordinatorTest, CorrectionOfAnUtteranceAlreadyWrittenIsDroppedNotRepeated) {
    start();
    poll({{"A", "We ship on Fryday"}});
    poll({{"A", "We ship on Fryday"}, {"B", "Sounds good"}});
    for (int i = 3; i <= 12; ++i)
        poll({{"A", "We ship on Fryday"}, {"B", "Sounds good"}, {"C", "Agreed"}});
    ASSERT_EQ(texts(writer->written()), QStringList({"A: We ship on Fryday"}));
    poll({{"A", "We ship on Friday."}, {"B", "Sounds good"}, {"C", "Agreed"}});
    reader->end();
    EXPECT_EQ(texts(writer->written()), QStringList({"A: We ship on Fryday", "B: Sounds good", "C: Agreed"}));
}

// A web client reuses the line element for the speaker's next sentence.
TEST_F(SessionCoordinatorTest, NextSentenceInAReusedLineKeepsThePreviousOne) {
    start();
    poll({{"Speaker 1", "The first sentence is done."}});
    poll({{"Speaker 1", "Next"}});
    poll({{"Speaker 1", "Next one starts here"}});
    reader->end();
    EXPECT_EQ(texts(writer->written()),
              QStringList({"Speaker 1: The first sentence is done.", "Speaker 1: Next one starts here"}));
}

// The recogniser's first guess at a new line's first words, revised a poll later, is not kept
// as an utterance of its own; a finished short sentence in a reused line is.
TEST_F(SessionCoordinatorTest, RevisedFirstGuessOfANewLineIsNotKeptButAFinishedShortSentenceIs) {
    start();
    poll({{"A", "We ship on Friday."}});
    poll({{"A", "memory"}});
    poll({{"A", "Dashboard numbers look"}});
    poll({{"A", "Okay."}});
    poll({{"A", "So the next point"}});
    reader->end();
    const QList<CaptionEntry> expected{{timeOfPoll(1), "A", "We ship on Friday."},
                                       {timeOfPoll(2), "A", "Dashboard numbers look"},
                                       {timeOfPoll(4), "A", "Okay."},
                                       {timeOfPoll(5), "A", "So the next point"}};
    EXPECT_EQ(writer->written(), expected);
}

// A new line of a few words revised in several places while it grows: the same line, kept once.
// A different sentence in the same place is not taken for a revision of the few words before.
TEST_F(SessionCoordinatorTest, NewLineRevisedInSeveralWordsAtOnceIsKeptOnce) {
    start();
    poll({{"B", "Okay then."}, {"A", "Blog Berlin"}});
    poll({{"B", "Okay then."}, {"A", "Blog Berlin referral do"}});
    poll({{"B", "Okay then."}, {"A", "could Berlin are do signup it"}});
    poll({{"B", "Okay then."}, {"A", "could Berlin are do signup it April I think so."}});
    poll({{"B", "Okay then."}, {"A", "we ship it on Friday"}});
    poll({{"B", "Okay then."}, {"A", "Marketing wants the launch moved"}});
    reader->end();
    EXPECT_EQ(texts(writer->written()),
              QStringList({"B: Okay then.", "A: could Berlin are do signup it April I think so.",
                           "A: we ship it on Friday", "A: Marketing wants the launch moved"}));
}

// The recogniser rewrites the start of its first guess into fewer words: the guess is replaced,
// not kept as an utterance of its own. A different line that only happens to end alike is kept.
TEST_F(SessionCoordinatorTest, FirstGuessWithItsStartRewrittenIsKeptOnce) {
    start();
    poll({{"B", "Okay then."}, {"A", "Release yeah if"}});
    poll({{"B", "Okay then."}, {"A", "of if"}});
    poll({{"B", "Okay then."}, {"A", "of if we ship it."}});
    poll({{"B", "Okay then."}, {"A", "Coverage in way to"}});
    poll({{"B", "Okay then."}, {"A", "project way to"}});
    poll({{"B", "Okay then."}, {"A", "project way to go."}});
    poll({{"B", "Okay then."}, {"A", "Should slower okay be"}});
    poll({{"B", "Okay then."}, {"A", "Bigger should be"}});
    reader->end();
    EXPECT_EQ(texts(writer->written()),
              QStringList({"B: Okay then.", "A: of if we ship it.", "A: project way to go.",
                           "A: Should slower okay be", "A: Bigger should be"}));
}

// A guess rewritten into more words keeping only two of five in place is the guess revised; a
// rolling line whose kept words moved to its start scrolled on, and its first words stay.
TEST_F(SessionCoordinatorTest, GuessRevisedInMostWordsIsToldFromAScrolledRollingLine) {
    start();
    poll({{"B", "Okay then."}, {"A", "Time us workshop renewal this"}});
    poll({{"B", "Okay then."}, {"A", "interesting Berlin okay workshop definitely this out contract activation"}});
    poll({{"B", "Okay then."}, {"A", "interesting Berlin okay workshop definitely this out contract activation."}});
    poll({{"A", "Survey question test Osaka hiring"}});
    poll({{"A", "tomorrow Osaka hiring complicated retrospective release"}});
    reader->end();
    const QStringList written = texts(writer->written());
    ASSERT_GE(written.size(), 3);
    EXPECT_EQ(written.mid(0, 2), QStringList({"B: Okay then.", "A: interesting Berlin okay workshop definitely this out "
                                                               "contract activation."}));
    EXPECT_TRUE(written.join(u' ').contains(u"Survey question")) << written.join(u'\n').toStdString();
}

// A line showing only its last characters: a revision replaces only that line's part of the
// utterance grown from it.
TEST_F(SessionCoordinatorTest, RevisedRollingLineReplacesOnlyItsOwnPart) {
    start();
    poll({{"A", "Thanks everyone for joining"}});
    poll({{"A", "for joining today. The agenda has tree"}});
    poll({{"A", "today. The agenda has three items first"}});
    reader->end();
    EXPECT_EQ(texts(writer->written()),
              QStringList({"A: Thanks everyone for joining today. The agenda has three items first"}));
}

// A burst of words scrolls a full rolling line so far that only its last words still show,
// some of them corrected in the same poll: the utterance goes on without repeating them.
TEST_F(SessionCoordinatorTest, RollingLineScrolledPastMostOfItIsNotRepeated) {
    start();
    poll({{"A", "So the cost? For that work schedule"}});
    poll({{"A", "So the cost? For that work schedule finance the and so?"}});
    poll({{"A", "cost? For that work schedule finance the and so? Quarter office"}});
    poll({{"A", "office localisation Toronto training retrospective update for"}});
    poll({{"B", "Right."}});
    poll({{"B", "Right."}, {"A", "So the webinar server storage article vendor"}});
    poll({{"B", "Right."}, {"A", "webinar server storage article vendor going our just"}});
    poll({{"B", "Right."}, {"A", "article vendor January my just we release for later"}});
    reader->end();
    EXPECT_EQ(texts(writer->written()),
              QStringList({"A: So the cost? For that work schedule finance the and so? Quarter office localisation "
                           "Toronto training retrospective update for",
                           "B: Right.",
                           "A: So the webinar server storage article vendor January my just we release for later"}));
}

// The line's last word, a sentence end behind it, comes first after a scroll whose revision
// moved that sentence end: still the same line, not a next sentence starting with that word.
TEST_F(SessionCoordinatorTest, ScrolledLineWhoseSentenceEndMovedIsNotRepeated) {
    start();
    poll({{"A", "really. Payload what finance memory we merge worker podcast"}});
    poll({{"A", "what finance memory we merge worker podcast Release we I we."}});
    poll({{"A", "we merge worker podcast. Release we I was. This forecast"}});
    reader->end();
    EXPECT_EQ(texts(writer->written()),
              QStringList({"A: really. Payload what finance memory we merge worker podcast. Release we I was. This forecast"}));
}

TEST_F(SessionCoordinatorTest, RollingLineThatJumpedPastAllItShowedStartsANewUtterance) {
    start();
    poll({{"A", "Thanks everyone for joining today"}});
    poll({{"A", "completely different words by now"}});
    reader->end();
    EXPECT_EQ(texts(writer->written()),
              QStringList({"A: Thanks everyone for joining today", "A: completely different words by now"}));
}

TEST_F(SessionCoordinatorTest, LineMissingForOnePollIsNotNewWhenItComesBack) {
    start();
    poll({{"A", "Alpha one."}, {"B", "Bravo two"}, {"C", "Charlie"}});
    poll({{"A", "Alpha one."}, {"C", "Charlie three"}});
    poll({{"A", "Alpha one."}, {"B", "Bravo two."}, {"C", "Charlie three four"}});
    reader->end();
    EXPECT_EQ(texts(writer->written()),
              QStringList({"A: Alpha one.", "B: Bravo two.", "C: Charlie three four"}));
}

// A display that shows only the latest line: the speaker's next line is not their old one.
TEST_F(SessionCoordinatorTest, LineReplacedByAnotherSpeakersIsNotRevisedByASimilarLaterLine) {
    start();
    poll({{"A", "line number 1"}});
    poll({{"B", "line number 2"}});
    poll({{"A", "line number 3"}});
    reader->end();
    EXPECT_EQ(texts(writer->written()),
              QStringList({"A: line number 1", "B: line number 2", "A: line number 3"}));
}

// Where lines cannot scroll, a long line missing for a poll while a new guess of its speaker
// showed comes back revised as that line; the guess below it is revised too. Neither is written
// twice.
TEST_F(SessionCoordinatorTest,
       LongLineBackRevisedAfterAGuessTookItsPlaceIsWrittenOnceWhereLinesCannotScroll) {
    reader->canScroll = false;
    start();
    poll({{"A", "All product also in change going marketing ticket action that the design"}});
    poll({{"A", "All product also in change going marketing ticket action that the design see"}});
    poll({{"A", "The review for"}});
    poll({{"A", "All product also, in change going marketing ticket action, that the design see"},
          {"A", "is for"}});
    poll({{"A", "All product also, in change going marketing ticket action, that the design see"},
          {"A", "is for about bandwidth."}});
    reader->end();
    EXPECT_EQ(
        texts(writer->written()),
        QStringList(
            {"A: All product also, in change going marketing ticket action, that the design see",
             "A: is for about bandwidth."}));
}

// A long block revised before its end in the polls that also add words (a word replaced by
// two, punctuation and case changed, a word dropped), far past the first 64 words: one
// utterance with the corrected text, nothing repeated.
TEST_F(SessionCoordinatorTest, LongBlockRevisedBeforeItsEndWhileGrowingIsWrittenOnce) {
    QStringList words;
    for (int i = 0; i < 90; ++i)
        words << QStringLiteral("w%1").arg(i);
    auto text = [&](int count) { return words.mid(0, count).join(u' '); };
    start();
    poll({{"A", text(60)}});
    words[5] = "roadmap problem";  // misheard word replaced by two
    poll({{"A", text(66)}});
    words[40] = "w40?";            // punctuation after an earlier word
    words[41] = "W41";             // and the next one capitalised
    poll({{"A", text(70)}});
    words.removeAt(20);            // a word taken back
    poll({{"A", text(75)}});
    words[70] = "w71.";            // a late full stop splits a sentence
    poll({{"A", text(84)}});
    reader->end();
    EXPECT_EQ(texts(writer->written()), QStringList({"A: " + text(84)}));
}

TEST_F(SessionCoordinatorTest, SentenceSplitByALateFullStopAndJoinedAgainStaysOneUtterance) {
    start();
    poll({{"A", "We should ship the release on Friday if the numbers"}});
    poll({{"A", "We should ship the release on Friday. If the numbers look good we"}});
    poll({{"A", "We should ship the release on Friday if the numbers look good we can. Then"}});
    reader->end();
    EXPECT_EQ(texts(writer->written()),
              QStringList({"A: We should ship the release on Friday if the numbers look good we can. Then"}));
}

// The client merges a speaker's two lines into one: each utterance keeps its own words, and
// the later one goes on following the merged line (revisions of its part included).
TEST_F(SessionCoordinatorTest, TwoLinesMergedIntoOneAreNeitherRepeatedNorLost) {
    start();
    poll({{"A", "First point is settled and agreed."}});
    poll({{"A", "First point is settled and agreed."}, {"A", "Second point"}});
    poll({{"A", "First point is settled and agreed."}, {"A", "Second point needs"}});
    poll({{"A", "First point is settled and agreed. Second point needs more"}});
    poll({{"A", "First point is settled and agreed. Second point needs more work"}});
    poll({{"A", "First point is settled and agreed. Second point, needs more work today."}});
    poll({{"A", "First point is settled and agreed. Second point, needs more work today."}, {"B", "Sure"}});
    reader->end();
    EXPECT_EQ(texts(writer->written()), QStringList({"A: First point is settled and agreed.",
                                                     "A: Second point, needs more work today.", "B: Sure"}));
}

// The merge comes only after the later line was closed by a third one: the earlier utterance
// keeps its words, the closed one takes the revision of its part, and neither is repeated.
TEST_F(SessionCoordinatorTest, LinesMergedAfterTheLaterOneClosedAreNeitherRepeatedNorLost) {
    start();
    poll({{"A", "Customer contract tomorrow, is that settled?"}});
    poll({{"A", "Customer contract tomorrow, is that settled?"}, {"A", "But December"}});
    poll({{"A", "Customer contract tomorrow, is that settled?"}, {"A", "But December June signup"}});
    poll({{"A", "Customer contract tomorrow, is that settled?"}, {"A", "But December June signup"}, {"A", "Mockup"}});
    poll({{"A", "Customer contract tomorrow, is that settled? But December, June signup."},
          {"A", "Mockup draft see"}});
    poll({{"A", "Customer contract tomorrow, is that settled? But December, June signup."},
          {"A", "Mockup draft see test up"}});
    reader->end();
    EXPECT_EQ(texts(writer->written()),
              QStringList({"A: Customer contract tomorrow, is that settled?", "A: But December, June signup.",
                           "A: Mockup draft see test up"}));
}

// The earlier utterance was written already when the merge comes: the later one takes only its
// own part of the merged line.
TEST_F(SessionCoordinatorTest, LineMergedIntoOneAlreadyWrittenTakesOnlyItsOwnPart) {
    start();
    poll({{"A", "First point is settled and agreed."}});
    poll({{"A", "First point is settled and agreed."}, {"B", "Yes indeed"}});
    for (int k = 0; k < 10; ++k)
        poll({{"A", "First point is settled and agreed."}, {"B", "Yes indeed"}, {"A", "Second point needs more"}});
    ASSERT_EQ(texts(writer->written()), QStringList({"A: First point is settled and agreed."}));
    poll({{"A", "First point is settled and agreed."}, {"B", "Yes indeed"}, {"A", "Second point needs more work."},
          {"B", "Okay"}});
    poll({{"A", "First point is settled and agreed. Second point, needs more work."}, {"B", "Okay"}});
    reader->end();
    EXPECT_EQ(texts(writer->written()),
              QStringList({"A: First point is settled and agreed.", "B: Yes indeed", "A: Second point, needs more work.",
                           "B: Okay"}));
}

// A line of one word merged into the line above while that line is revised: the word starts
// the open utterance, which follows the merged line from there.
TEST_F(SessionCoordinatorTest, OneWordLineMergedIntoTheLineAboveStaysItsOwnUtterance) {
    start();
    poll({{"A", "That roadmap onboarding product document is final."}});
    poll({{"A", "That roadmap onboarding product document is final."}, {"A", "Workshop"}});
    poll({{"A", "That roadmap onboarding product document is finished. Workshop week"}});
    poll({{"A", "That roadmap onboarding product document is finished. Workshop week to us training"}});
    poll({{"A", "That roadmap onboarding product document is finished. Workshop week to us training."},
          {"B", "Right"}});
    reader->end();
    EXPECT_EQ(texts(writer->written()),
              QStringList({"A: That roadmap onboarding product document is finished.",
                           "A: Workshop week to us training.", "B: Right"}));
}

// Revisions that make the line shorter: a repeated word taken back, the last word withdrawn.
TEST_F(SessionCoordinatorTest, RevisionThatShortensTheLineReplacesItsEnd) {
    start();
    poll({{"A", "We will ship the the release on Fryday"}});
    poll({{"A", "We will ship the release on"}});
    poll({{"A", "We will ship the release on Friday morning."}});
    reader->end();
    EXPECT_EQ(texts(writer->written()), QStringList({"A: We will ship the release on Friday morning."}));
}

// A web client reuses the line element for the speaker's next sentence, which starts with the
// word that ended the last one: that word is said twice, and the sentences stay apart.
TEST_F(SessionCoordinatorTest, NextSentenceStartingWithTheLastWordInAReusedLineIsKept) {
    start();
    poll({{"Speaker 1", "We really should say thanks."}});
    poll({{"Speaker 1", "Thanks maybe"}});
    poll({{"Speaker 1", "Thanks maybe today we can"}});
    poll({{"Speaker 2", "Sure"}});
    poll({{"Speaker 1", "Let's look at the regression"}});
    poll({{"Speaker 1", "Regression like more"}});
    reader->end();
    EXPECT_EQ(texts(writer->written()),
              QStringList({"Speaker 1: We really should say thanks.", "Speaker 1: Thanks maybe today we can",
                           "Speaker 2: Sure", "Speaker 1: Let's look at the regression",
                           "Speaker 1: Regression like more"}));
}

// A killed capture loses no utterance completed more than ten polls before: the hand-over
// comes when the oldest one waiting is that old, also while the captions are away.
// Lines that always show from their first word cannot scroll back: words a revision puts in
// front of a line are kept, in the open utterance and in one already closed, and words dropped
// from its front are gone.
TEST_F(SessionCoordinatorTest, WordsRevisedAtTheFrontOfALineThatCannotScrollAreKept) {
    reader->canScroll = false;
    start();
    poll({{"A", "That roadmap is ready for"}});
    poll({{"A", "Basically that roadmap is ready for review."}});
    poll({{"A", "Basically that roadmap is ready for review."}, {"B", "Sounds good to me"}});
    poll({{"A", "Basically, yes that roadmap is ready for review."}, {"B", "Sounds good to me"}});
    poll({{"A", "Basically, yes that roadmap is ready for review."}, {"B", "Sounds good to me"}, {"A", "They upgrade legal still assumption should backlog"}});
    poll({{"A", "Basically, yes that roadmap is ready for review."}, {"B", "Sounds good to me"}, {"A", "webinar. legal still assumption should backlog cost"}});
    reader->end();
    EXPECT_EQ(texts(writer->written()),
              QStringList({"A: Basically, yes that roadmap is ready for review.", "B: Sounds good to me",
                           "A: webinar. legal still assumption should backlog cost"}));
}

// Lines merged into the line above, in a client whose lines cannot scroll: the merged line shows
// the earlier utterances in front of the open one's words, which are not written again.
TEST_F(SessionCoordinatorTest, LinesMergedInFrontOfTheOpenOneAreNotRepeatedWhenLinesCannotScroll) {
    reader->canScroll = false;
    start();
    poll({{"A", "The cost was an issue in October."}});
    poll({{"A", "The cost was an issue in October."}, {"A", "How throughput goes is next."}});
    poll({{"A", "The cost was an issue in October."}, {"A", "How throughput goes is next."}, {"A", "Merge so"}});
    poll({{"A", "The cost was an issue in October."}, {"A", "How throughput goes is next."}, {"A", "Merge so engineering"}});
    poll({{"A", "The cost was an issue in October. How throughput goes is next. Merge so engineering audit"}});
    poll({{"A", "The cost was an issue in October. How throughput goes is next. Merge so engineering audit."}});
    reader->end();
    EXPECT_EQ(texts(writer->written()),
              QStringList({"A: The cost was an issue in October.", "A: How throughput goes is next.",
                           "A: Merge so engineering audit."}));
}

// A new line starting with the word the speaker's line above ended with, re-capitalised, is the
// next sentence (said with that word again) also when that line then merges with it.
TEST_F(SessionCoordinatorTest, NewLineRepeatingTheLastWordIsTheNextSentenceEvenWhenMergedLater) {
    reader->canScroll = false;
    start();
    poll({{"B", "Okay."}, {"A", "Good be blog engineering the network we're"}});
    poll({{"B", "Okay."}, {"A", "Good be blog engineering the network we're"}, {"A", "We're budget"}});
    poll({{"B", "Okay."}, {"A", "Good be blog engineering the network we're? We're budget velocity product"}});
    poll({{"B", "Okay."}, {"A", "Good be blog engineering the network we're? We're budget velocity product to estimate."}});
    reader->end();
    EXPECT_EQ(texts(writer->written()),
              QStringList({"B: Okay.", "A: Good be blog engineering the network we're?",
                           "A: We're budget velocity product to estimate."}));
}

// Where places are kept, two finished lines merging above the open one, which starts with the
// word the merged line ends with, leave the open line its own: it is still shown.
TEST_F(SessionCoordinatorTest,
       LinesMergingAboveAStillShownOpenLineLeaveItItsOwnWherePlacesAreKept) {
    const QString above = "Blog the at, Berlin and be report security but offer the have how.";
    reader->canScroll = false;
    reader->reusesPlaces = false;
    start();
    poll({{"B", "Okay."}, {"A", above}, {"A", "September that like office"}});
    poll(
        {{"B", "Okay."}, {"A", above}, {"A", "September that like office."}, {"A", "Office plan"}});
    poll({{"B", "Okay."},
          {"A", above + " September that like office."},
          {"A", "Office plan sign-off queue"}});
    reader->end();
    EXPECT_EQ(texts(writer->written()),
              QStringList({"B: Okay.", "A: " + above, "A: September that like office.",
                           "A: Office plan sign-off queue"}));
}

// A line that merges with the open line below it while its last word is revised to one the open
// line also has still ends before the open line.
TEST_F(SessionCoordinatorTest, LineWhoseLastWordIsRevisedAsTheOpenLineMergesEndsBeforeIt) {
    const QString merged =
        "Research these thing priority he, project and first. Morning so cache for patch yeah";
    reader->canScroll = false;
    reader->reusesPlaces = false;
    start();
    poll({{"B", "Okay."},
          {"A", "Research these thing priority he, project and for."},
          {"A", "Morning so cache for"}});
    poll({{"B", "Okay."}, {"A", merged}});
    poll({{"B", "Okay."}, {"A", merged + " it get"}});
    poll({{"B", "Okay."}, {"A", merged + " it get week privacy"}});
    reader->end();
    EXPECT_EQ(texts(writer->written()),
              QStringList({"B: Okay.", "A: Research these thing priority he, project and first.",
                           "A: Morning so cache for patch yeah it get week privacy"}));
}

// A line one poll old rewritten in almost every word while it grows is its first guess revised
// where lines cannot scroll; a line reused for the next sentence shows fewer words at first.
TEST_F(SessionCoordinatorTest, YoungLineRewrittenWhileGrowingIsKeptOnceWhereLinesCannotScroll) {
    reader->canScroll = false;
    start();
    poll({{"B", "Okay then."}, {"A", "Let's alert for absolutely"}});
    poll({{"B", "Okay then."}, {"A", "plan the alert decision that into"}});
    poll({{"B", "Okay then."}, {"A", "plan the alert decision that into numbers."}});
    poll({{"B", "Okay then."}, {"A", "Need you of cheaper"}});
    poll({{"B", "Okay then."}, {"A", "Just throughput"}});
    poll({{"B", "Okay then."}, {"A", "Just throughput assumption."}});
    reader->end();
    EXPECT_EQ(texts(writer->written()),
              QStringList({"B: Okay then.", "A: plan the alert decision that into numbers.", "A: Need you of cheaper",
                           "A: Just throughput assumption."}));
}

// A rolling line that scrolled back showed a word the utterance already had; when it scrolls on,
// the utterance still ends with the rest of the line, and the words in between stay.
TEST_F(SessionCoordinatorTest, RollingLineScrollingOnAfterScrollingBackKeepsTheWordsBetween) {
    start();
    poll({{"A", "salary good. Referral the survey process today hiring blog"}});
    poll({{"A", "the process today hiring blog something certificate we're there"}});
    poll({{"A", "the the process today hiring blog that certificate we're there."}});
    poll({{"A", "that certificate we're there. Get deadline onboarding"}});
    reader->end();
    const QStringList written = texts(writer->written());
    ASSERT_EQ(written.size(), 1) << written.join(u'\n').toStdString();
    EXPECT_TRUE(written[0].contains(u"process today hiring blog that certificate we're there. Get deadline onboarding"))
        << written[0].toStdString();
}

// A rolling line that scrolls back over a word while a correction shortens it, then on past most
// of what it showed (its former text, remembered a while, resembles it more): one utterance, the
// corrections in place, nothing written twice or lost.
TEST_F(SessionCoordinatorTest, RollingLineScrolledBackByACorrectionIsOneUtterance) {
    start();
    poll({{"B", "Agenda."}, {"A", "What copy activation, roadmap. Latency usability that"}});
    poll({{"B", "Agenda."}, {"A", "roadmap. Latency usability that to change candidate we"}});
    poll({{"B", "Agenda."}, {"A", "activation, roadmap. video that to support candidate we"}});
    poll({{"B", "Agenda."}, {"A", "video that to support candidate we thumbnail for any"}});
    poll({{"B", "Agenda."}, {"A", "candidate we Toronto for wireframe wireframe it the"}});
    reader->end();
    EXPECT_EQ(texts(writer->written()),
              QStringList({"B: Agenda.",
                           "A: What copy activation, roadmap. video that to support candidate we "
                           "Toronto for wireframe wireframe it the"}));
}

// Scrolled back over words it corrected as well: the corrected words take the place of the old.
TEST_F(SessionCoordinatorTest, RollingLineScrolledBackOverACorrectedWordTakesItsPlace) {
    start();
    poll({{"A", "So. Interesting the but honestly? Like interesting the"}});
    poll({{"A", "honestly? Like interesting the right newsletter queue"}});
    poll({{"A", "are the but honestly? Like these sure newsletter queue"}});
    reader->end();
    EXPECT_EQ(texts(writer->written()),
              QStringList({"A: So. are the but honestly? Like these sure newsletter queue"}));
}

// A rolling line missing for one poll comes back scrolled on past most of what it showed: it
// goes on from the word it shared.
TEST_F(SessionCoordinatorTest, RollingLineBackFromAMissingPollScrolledFarIsNotRepeated) {
    start();
    poll({{"B", "Agenda."}, {"A", "candidate. A plan requirement think to see item"}});
    poll({{"B", "Agenda."}});
    poll({{"B", "Agenda."}, {"A", "item. And also are product scheduler a is dashboard"}});
    reader->end();
    EXPECT_EQ(texts(writer->written()),
              QStringList({"B: Agenda.",
                           "A: candidate. A plan requirement think to see item. And also are "
                           "product scheduler a is dashboard"}));
}

// A short line that merges into the line above and is revised in the same poll still hands its
// words to the merged line's part, and is not written on its own as well.
TEST_F(SessionCoordinatorTest, ShortLineRevisedWhileMergingIntoTheLineAboveIsWrittenOnce) {
    const QString above = "The follow, to think, sign-off firewall owner it is legal March obviously we";
    start();
    poll({{"B", "Okay."}, {"A", above}});
    poll({{"B", "Okay."}, {"A", above}, {"A", "We obviously interview"}});
    poll({{"B", "Okay."}, {"A", above}, {"A", "We obviously interview update"}});
    poll({{"B", "Okay."}, {"A", above + ". We. Number update"}});
    poll({{"B", "Okay."}, {"A", above + ". We. Number update sure yeah but work."}});
    reader->end();
    EXPECT_EQ(texts(writer->written()),
              QStringList({"B: Okay.", "A: " + above + ".", "A: We. Number update sure yeah but work."}));
}

// A short line merging into the line above while its first word is revised is the same line
// where the next sentence never takes a line's place; so is a first guess of a word or two that
// merges with all of it revised, even after a poll unchanged.
TEST_F(SessionCoordinatorTest, ShortLineMergingWithItsFirstWordRevisedIsWrittenOnceWherePlacesAreKept) {
    const QString above = "Browser restore plan requirement and access us to like problem when and.";
    const QString merged = above + " monitoring something we we loyalty right that.";
    reader->canScroll = false;
    reader->reusesPlaces = false;
    start();
    poll({{"B", "Okay."}, {"A", above}});
    poll({{"B", "Okay."}, {"A", above}, {"A", "At something we really loyalty"}});
    poll({{"B", "Okay."}, {"A", above + " monitoring something we we loyalty right that"}});
    poll({{"B", "Okay."}, {"A", merged}});
    poll({{"B", "Okay."}, {"A", merged}, {"A", "renewal"}});
    poll({{"B", "Okay."}, {"A", merged}, {"A", "renewal"}});
    poll({{"B", "Okay."}, {"A", merged + " Should let's of"}});
    poll({{"B", "Okay."}, {"A", merged + " Should let's of can June"}});
    poll({{"B", "Okay."}, {"A", merged + " Should let's of can June yeah and"}});
    poll({{"B", "Okay."}, {"A", merged + " Should let's of can June yeah and is the first"}});
    reader->end();
    EXPECT_EQ(
        texts(writer->written()),
        QStringList({"B: Okay.", "A: " + above, "A: monitoring something we we loyalty right that.",
                     "A: Should let's of can June yeah and is the first"}));
}

// Where places are kept, an open line merging into the line above with its first word dropped
// goes on as the part it merged as, and the line's growth after that stays with it.
TEST_F(SessionCoordinatorTest,
       LineMergedWithItsFirstWordDroppedGoesOnAsItsMergedPartWherePlacesAreKept) {
    const QString above =
        "Would usability follow you notes to something. Are demo we review conversion think.";
    reader->canScroll = false;
    reader->reusesPlaces = false;
    start();
    poll({{"B", "Okay."}, {"A", above}, {"A", "You the very I"}});
    poll({{"B", "Okay."}, {"A", above + " the very I"}});
    poll({{"B", "Okay."}, {"A", above + " the very I basically to simple"}});
    poll({{"B", "Okay."}, {"A", above + " the very I basically to simple carefully thing"}});
    poll({{"B", "Okay."},
          {"A", above + " the very I basically to simple carefully thing April customer"}});
    reader->end();
    EXPECT_EQ(texts(writer->written()),
              QStringList({"B: Okay.", "A: " + above,
                           "A: the very I basically to simple carefully thing April customer"}));
}

// A guess of a few words rewritten one poll later (a longer one keeping its last word) is the
// guess revised where lines cannot scroll; two polls later (one of them empty) the line may hold
// the next sentence.
TEST_F(SessionCoordinatorTest, FewWordsRewrittenOnePollLaterAreTheGuessRevisedWhereLinesCannotScroll) {
    reader->canScroll = false;
    start();
    poll({{"B", "Okay then."}, {"A", "The system engagement"}});
    poll({{"B", "Okay then."}, {"A", "The report"}});
    poll({{"B", "Okay then."}, {"A", "The report more because."}});
    poll({{"B", "Okay then."}, {"A", "So and can this very"}});
    poll({{"B", "Okay then."}, {"A", "interview can just very"}});
    poll({{"B", "Okay then."}, {"A", "interview can just very good."}});
    poll({{"B", "Okay then."}, {"A", "Like people at"}});
    scheduler.advance(1000ms);
    reader->pollEmpty();
    poll({{"B", "Okay then."}, {"A", "They to"}});
    poll({{"B", "Okay then."}, {"A", "They to summary what."}});
    reader->end();
    EXPECT_EQ(texts(writer->written()),
              QStringList({"B: Okay then.", "A: The report more because.", "A: interview can just very good.",
                           "A: Like people at", "A: They to summary what."}));
}

// Where lines cannot scroll, a line revised in several places while it grows is the same line
// (a guess of a few words too, rewritten polls later about as long, more than half of it kept);
// the next sentence in its place, even starting with the same word, is not.
TEST_F(SessionCoordinatorTest, LineRevisedInSeveralPlacesIsToldFromTheNextSentenceInItsPlace) {
    reader->canScroll = false;
    start();
    poll({{"B", "Okay then."}, {"A", "June all"}});
    poll({{"B", "Okay then."}, {"A", "June all standup calendar about"}});
    poll({{"B", "Okay then."}, {"A", "June them calendar about thing"}});
    poll({{"B", "Okay then."}, {"A", "June them calendar about thing."}});
    poll({{"B", "Okay then."}, {"A", "The budget"}});
    poll({{"B", "Okay then."}, {"A", "The budget needs another look"}});
    poll({{"B", "Okay then."}, {"A", "The plan needs more time."}});
    poll({{"B", "Okay then."}, {"A", "And last be the some afternoon in hiring we're"}});
    poll({{"B", "Okay then."}, {"A", "And last be the some afternoon in hiring we're was"}});
    poll({{"B", "Okay then."}, {"A", "And last be the what afternoon in incident and will the"}});
    poll({{"B", "Okay then."}, {"A", "And last be the what afternoon in incident and will the plan."}});
    poll({{"B", "Okay then."}, {"A", "The release is ready for review on Friday morning now"}});
    poll({{"B", "Okay then."}, {"A", "The budget needs another look before we sign it off"}});
    reader->end();
    EXPECT_EQ(texts(writer->written()),
              QStringList({"B: Okay then.", "A: June them calendar about thing.",
                           "A: The budget needs another look", "A: The plan needs more time.",
                           "A: And last be the what afternoon in incident and will the plan.",
                           "A: The release is ready for review on Friday morning now",
                           "A: The budget needs another look before we sign it off"}));
}

// Where a line keeps its place, the speaker's latest line rewritten there, however old and little
// of it kept, is that line revised; a finished line or one much shorter with nothing kept was
// cleared away and the next sentence took its place, unless a line above stayed and the speaker's
// next line shows below it or half of the finished line's words are kept (even when the rewrite
// starts with the word the line ended with), or the line is a poll old. So is a line that went
// blank for a poll and came back rewritten. Where places are reused, the rewrite is the next
// sentence.
class LineRewrittenInPlaceTest : public SessionCoordinatorTest {
protected:
    void pollRewrites() {
        reader->canScroll = false;
        start();
        poll({{"B", "Okay then."}, {"A", "The Wednesday throughput need"}});
        poll({{"B", "Okay then."}, {"A", "The Wednesday throughput need"}});
        poll({{"B", "Okay then."}, {"A", "feedback need problem I is"}});
        poll({{"B", "Okay then."}, {"A", "feedback need problem I is done."}});
        poll({{"B", "Okay then."}, {"A", "feedback need problem I is done."}, {"C", "You deadline I"}});
        poll({{"B", "Okay then."}, {"A", "feedback need problem I is done."}, {"C", "You deadline I"}});
        poll({{"B", "Okay then."}, {"A", "feedback need problem I is done."}, {"C", "legal I review"}});
        poll({{"C", "Latency when more of"}});
        poll({{"C", "Scheduler Toronto"}});
        poll({{"C", "Scheduler Toronto went."}});
        poll({{"C", "Next"}});
        // Blank for a poll, then back revised.
        poll({{"C", "Next"}, {"D", "April"}});
        poll({{"C", "Next"}});
        poll({{"C", "Next"}, {"D", "For the renewal"}});
        // Rewritten, finished, as the speaker's next line shows below it and the line above stays.
        poll({{"C", "Next"}, {"D", "Container that, later compliance feedback privacy the."}});
        poll({{"C", "Next"},
              {"D", "Container that, meeting compliance feedback so password."},
              {"D", "Release"}});
        // Finished, then rewritten keeping half of its words, with the lines above staying.
        poll({{"C", "Next"},
              {"D", "Container that, meeting compliance feedback so password."},
              {"D", "Release should if at engineering yesterday April not."}});
        poll({{"C", "Next"},
              {"D", "Container that, meeting compliance feedback so password."},
              {"D", "Release right if at engineering would article not."}});
        // Rewritten to start with the word it ended with, with the lines above staying.
        poll({{"C", "Next"},
              {"D", "Release right if at engineering would article not."},
              {"E", "Conference the"}});
        poll({{"C", "Next"},
              {"D", "Release right if at engineering would article not."},
              {"E", "The the new we"}});
        // A poll old, a word shorter with little kept, with the lines above staying.
        poll({{"C", "Next"}, {"E", "The the new we"}, {"F", "You alert the latency"}});
        poll({{"C", "Next"}, {"E", "The the new we"}, {"F", "Referral the people"}});
        reader->end();
    }
};

TEST_F(LineRewrittenInPlaceTest, IsTheLineRevisedWhereThePlaceIsNeverReused) {
    reader->reusesPlaces = false;
    pollRewrites();
    EXPECT_EQ(
        texts(writer->written()),
        QStringList({"B: Okay then.", "A: feedback need problem I is done.", "C: legal I review",
                     "C: Latency when more of", "C: Scheduler Toronto went.", "C: Next",
                     "D: Container that, meeting compliance feedback so password.",
                     "D: Release right if at engineering would article not.", "E: The the new we",
                     "F: Referral the people"}));
}

TEST_F(LineRewrittenInPlaceTest, IsTheNextSentenceWhereThePlaceMayBeReused) {
    pollRewrites();
    EXPECT_EQ(texts(writer->written()),
              QStringList(
                  {"B: Okay then.", "A: The Wednesday throughput need",
                   "A: feedback need problem I is done.", "C: You deadline I", "C: legal I review",
                   "C: Latency when more of", "C: Scheduler Toronto went.", "C: Next", "D: April",
                   "D: Container that, later compliance feedback privacy the.",
                   "D: Container that, meeting compliance feedback so password.",
                   "D: Release should if at engineering yesterday April not.",
                   "D: Release right if at engineering would article not.", "E: Conference the",
                   "E: The the new we", "F: You alert the latency", "F: Referral the people"}));
}

TEST_F(SessionCoordinatorTest, FlushesWhenTheOldestWaitingUtteranceIsTenPollsOld) {
    start();
    poll({{"A", "one"}});
    poll({{"A", "one"}, {"B", "two"}}); // "one" completed at poll 2
    reader->pollEmpty(9);
    EXPECT_EQ(writer->appendCalls, 0);
    reader->pollEmpty(1); // poll 12: the only completed utterance is old enough to go as well
    ASSERT_EQ(writer->appendCalls, 1);
    EXPECT_EQ(texts(writer->batches[0]), QStringList({"A: one"}));

    poll({{"B", "two"}, {"C", "three"}});                // "two" completed at poll 13
    for (int i = 14; i <= 23; ++i)
        poll({{"B", "two"}, {"C", "three"}, {"D", "four"}}); // "three" completed at poll 14
    // At poll 23 "two" is ten polls old; "three", the latest, still waits for corrections.
    ASSERT_EQ(writer->appendCalls, 2);
    EXPECT_EQ(texts(writer->batches[1]), QStringList({"B: two"}));

    coordinator->stop();
    ASSERT_EQ(outcome.reason, SessionStopReason::sourceEnded);
    EXPECT_EQ(writer->appendCalls, 3);
    EXPECT_EQ(texts(writer->batches[2]), QStringList({"C: three", "D: four"}));
}

TEST_F(SessionCoordinatorTest, GraceCountResetsOnCaptionsAndEndsTheSessionAtTheLimit) {
    start();
    poll({{"A", "before the pause"}});
    reader->pollEmpty(119);
    // The same line reappearing after the pause is compared with the last non-empty snapshot.
    poll({{"A", "before the pause"}});
    reader->pollEmpty(119);
    EXPECT_TRUE(coordinator->isRunning());
    EXPECT_FALSE(outcome.reason);

    reader->pollEmpty(1);
    ASSERT_EQ(outcome.reason, SessionStopReason::graceExpired);
    EXPECT_FALSE(coordinator->isRunning());
    EXPECT_EQ(reader->stopCount, 1);
    EXPECT_EQ(texts(writer->written()), QStringList({"A: before the pause"}));
}

TEST_F(SessionCoordinatorTest, SessionWithoutCaptionsWritesNothing) {
    start();
    reader->pollEmpty(5);
    reader->end();
    EXPECT_EQ(outcome.reason, SessionStopReason::sourceEnded);
    EXPECT_EQ(writer->appendCalls, 0);
    EXPECT_TRUE(liveSnapshots.isEmpty());
}

TEST_F(SessionCoordinatorTest, RefusedBatchIsOfferedAgainAheadOfNewerEntriesExactlyOnce) {
    writer->failNextAppends = 1;
    QList<std::optional<QString>> problems;
    coordinator->setOnWriteProblem([&](const std::optional<QString>& error) { problems.append(error); });
    start();
    QStringList expected;
    for (int i = 1; i <= 25; ++i) {
        const QString speaker = i % 2 ? "A" : "B";
        poll({{speaker, QStringLiteral("sentence %1").arg(i)}});
        expected << speaker + QStringLiteral(": sentence %1").arg(i);
    }
    // The first flush (poll 12) failed; ten polls later the second carried its entries too,
    // all but the latest.
    EXPECT_EQ(writer->appendCalls, 2);
    ASSERT_EQ(writer->batches.size(), 1);
    EXPECT_EQ(writer->batches[0].size(), 20);
    // The failure is reported once, and so is the recovery.
    EXPECT_EQ(problems, (QList<std::optional<QString>>{QString("No space left on device"), std::nullopt}));
    reader->end();
    EXPECT_EQ(texts(writer->written()), expected);
    EXPECT_EQ(coordinator->unsavedEntryCount(), 0);
    EXPECT_EQ(problems.size(), 2);
}

TEST_F(SessionCoordinatorTest, EntriesRefusedAtTheFinalFlushAreHandedOverOnce) {
    start();
    poll({{"A", "first"}});
    poll({{"B", "second"}});
    writer->failNextAppends = 1;
    reader->end();
    EXPECT_EQ(outcome.reason, SessionStopReason::sourceEnded);
    EXPECT_EQ(coordinator->unsavedEntryCount(), 2);
    EXPECT_EQ(texts(coordinator->takeUnsavedEntries()), QStringList({"A: first", "B: second"}));
    EXPECT_EQ(coordinator->unsavedEntryCount(), 0);
}

TEST_F(SessionCoordinatorTest, StopFromOutsideReturnsAfterTheFinalFlush) {
    start();
    poll({{"A", "still talking"}});
    bool stopped = false;
    runStop(coordinator, &stopped);
    EXPECT_TRUE(stopped);
    EXPECT_EQ(outcome.reason, SessionStopReason::sourceEnded);
    EXPECT_EQ(texts(writer->written()), QStringList({"A: still talking"}));
    EXPECT_EQ(reader->stopCount, 1);

    // Stopping again does nothing.
    bool again = false;
    runStop(coordinator, &again);
    EXPECT_TRUE(again);
    EXPECT_EQ(reader->stopCount, 1);
}

TEST_F(SessionCoordinatorTest, SecondStartFailsWhileRunningAndWriterKeepsItsStartTime) {
    const QDateTime earlier = clock.now().addSecs(-600);
    writer->startTime = earlier;
    start();
    SessionOutcome second;
    runSession(coordinator, &second);
    EXPECT_EQ(second.error, VelmoraError::sessionAlreadyRunning().message());
    EXPECT_TRUE(coordinator->isRunning());
    EXPECT_EQ(writer->startTime, earlier);
    reader->end();
    EXPECT_EQ(outcome.reason, SessionStopReason::sourceEnded);
}

TEST_F(SessionCoordinatorTest, ReaderStartFailureIsPassedOnAndStopStillReturns) {
    reader->startError = VelmoraError::accessibilityNotTrusted();
    start();
    EXPECT_EQ(outcome.error, VelmoraError::accessibilityNotTrusted().message());
    bool stopped = false;
    runStop(coordinator, &stopped);
    EXPECT_TRUE(stopped);
    EXPECT_FALSE(coordinator->isRunning());
}

TEST_F(SessionCoordinatorTest, WriterRefusingTheStartTimeFailsTheStartAndStopStillReturns) {
    // Refused at once: stop() afterwards returns.
    writer->startTimeError = FileError(QStringLiteral("Permission denied"));
    start();
    EXPECT_EQ(outcome.error, QStringLiteral("Permission denied"));
    EXPECT_EQ(reader->startCount, 0);
    bool stopped = false;
    runStop(coordinator, &stopped);
    EXPECT_TRUE(stopped);

    // Refused while a stop() already waits for the session: that stop() returns too.
    auto other = std::make_shared<SessionCoordinator>(reader, writer, clock);
    DeferredExecutor writerQueue;
    writer->startTimeQueue = &writerQueue;
    SessionOutcome otherOutcome;
    runSession(other, &otherOutcome);
    bool otherStopped = false;
    runStop(other, &otherStopped);
    EXPECT_FALSE(otherStopped);
    writerQueue.runAll();
    EXPECT_EQ(otherOutcome.error, QStringLiteral("Permission denied"));
    EXPECT_TRUE(otherStopped);
    EXPECT_FALSE(other->isRunning());
}

// A line whose last word gains punctuation as it merges with the next one: what follows starts
// at the next word, the mark stays with its word.
TEST_F(SessionCoordinatorTest, PunctuationALineGainsWhileMergingStaysWithItsWord) {
    start();
    poll({{"A", "Right"}});
    poll({{"A", "Right"}, {"A", "so we go"}});
    poll({{"A", "Right, so we go"}});
    reader->end();
    EXPECT_EQ(texts(writer->written()), QStringList({"A: Right,", "A: so we go"}));
}

} // namespace
