#include "app/MeetingSummarizer.h"

#include "app/AppState.h"
#include "fakes/FakeMeetingHistory.h"
#include "fakes/LogCapture.h"
#include "fakes/ManualScheduler.h"
#include "fakes/ScriptedSummaryService.h"

#include "fakes/QtPrinters.h"

#include <QTimeZone>
#include <gtest/gtest.h>

using namespace velmora;
using namespace std::chrono_literals;

namespace {

class MeetingSummarizerTest : public ::testing::Test {
protected:
    ManualScheduler scheduler;
    AppState state;
    FakeMeetingHistory history;
    std::shared_ptr<ScriptedSummaryService> service = std::make_shared<ScriptedSummaryService>(scheduler);
    int refreshes = 0;
    MeetingSummarizer summarizer{
        state, [this] { return std::shared_ptr<MeetingHistoryProvider>(&history, [](auto*) {}); },
        service, [this] { ++refreshes; }};
    LogCapture log{"velmora.app"};
    MeetingRecord record = [] {
        MeetingRecord r;
        r.id = QUuid::createUuid();
        r.date = QDateTime(QDate(2026, 3, 14), QTime(9, 30, 5), QTimeZone::utc());
        r.transcriptPath = QStringLiteral("/out/2026-03-14_09-30-05_Teams.md");
        return r;
    }();

    MeetingSummarizerTest() { history.stored = {record}; }
    MeetingRecord stored() const { return history.stored.value(0); }
};

} // namespace

TEST_F(MeetingSummarizerTest, SummaryPathGoesIntoTheRecordAsStoredNow) {
    summarizer.summarizeMeeting(record, QStringLiteral("- notes"));
    EXPECT_EQ(state.summaryGeneratingMeetingID(), record.id);
    EXPECT_EQ(state.summaryProgress(), (SummaryProgress{1, 2, false}));

    // Finalisation stores the duration and the notes link while the summary runs.
    MeetingRecord finalized = record;
    finalized.duration = 1800;
    finalized.notesPath = QStringLiteral("/out/2026-03-14_09-30-05_Teams-notes.md");
    history.updateRecord(finalized);

    scheduler.advance(10s);
    MeetingRecord expected = finalized;
    expected.summaryPath = QStringLiteral("/out/2026-03-14_09-30-05_Teams-summary.md");
    EXPECT_EQ(stored(), expected);
    EXPECT_EQ(refreshes, 1);
    EXPECT_EQ(state.summaryGeneratingMeetingID(), std::nullopt);
    EXPECT_EQ(state.summaryProgress(), std::nullopt);
    EXPECT_TRUE(log.contains("velmora.app", "Summary generated: 2026-03-14_09-30-05_Teams-summary.md"));
}

TEST_F(MeetingSummarizerTest, NoTranscriptNoSummaryOrFailureLeaveTheRecordAlone) {
    MeetingRecord withoutTranscript = record;
    withoutTranscript.transcriptPath.reset();
    state.setSummaryGeneratingMeetingID(QUuid::createUuid());
    const auto before = state.summaryGeneratingMeetingID();
    summarizer.summarizeMeeting(withoutTranscript, std::nullopt);
    EXPECT_EQ(state.summaryGeneratingMeetingID(), before);
    EXPECT_TRUE(service->started.isEmpty());

    service->outcome = ScriptedSummaryService::Outcome::none;
    summarizer.summarizeMeeting(record, std::nullopt);
    scheduler.advance(10s);
    EXPECT_EQ(stored(), record);
    EXPECT_EQ(state.summaryGeneratingMeetingID(), std::nullopt);

    service->outcome = ScriptedSummaryService::Outcome::fileError;
    summarizer.summarizeMeeting(record, std::nullopt);
    scheduler.advance(10s);
    EXPECT_EQ(stored(), record);
    EXPECT_EQ(state.summaryGeneratingMeetingID(), std::nullopt);
    EXPECT_TRUE(log.contains("velmora.app", "Summary generation failed: Cannot read /out/2026-03-14_09-30-05_Teams.md"));
    EXPECT_EQ(refreshes, 0);
}

TEST_F(MeetingSummarizerTest, ARecordDeletedMeanwhileIsNotRecreated) {
    summarizer.summarizeMeeting(record, std::nullopt);
    history.deleteRecord(record);
    scheduler.advance(10s);
    EXPECT_TRUE(history.stored.isEmpty());
    EXPECT_EQ(state.summaryGeneratingMeetingID(), std::nullopt);
    EXPECT_TRUE(log.contains("velmora.app", "no longer in the history"));
}

TEST_F(MeetingSummarizerTest, CancelledSummariesTouchNothing) {
    summarizer.summarizeMeeting(record, std::nullopt);
    summarizer.cancelAll();
    scheduler.runDue();
    scheduler.advance(10s);
    EXPECT_EQ(service->cancelled, 1);
    EXPECT_EQ(stored(), record);
    EXPECT_FALSE(log.contains("velmora.app", "Summary generat"));
}
