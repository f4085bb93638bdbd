#include "library/search/SearchSession.h"

#include "SearchTestFiles.h"
#include "fakes/ImmediateExecutor.h"
#include "fakes/ManualScheduler.h"
#include "library/search/MeetingSearchIndex.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace velmora;
using namespace velmora::searchtest;

namespace {

class SearchSessionTest : public ::testing::Test {
protected:
    QTemporaryDir temp;
    ManualScheduler scheduler;
    QList<MeetingRecord> records;
    SearchSession session{scheduler};
    QList<SearchOutcome> answers;
    int clears = 0;

    void SetUp() override {
        QObject::connect(&session, &SearchSession::resultsReady,
                         [this](const SearchOutcome& outcome) { answers.append(outcome); });
        QObject::connect(&session, &SearchSession::cleared, [this] { ++clears; });
    }

    std::unique_ptr<MeetingSearchIndex> makeIndex(const QString& name) {
        const QString dir = temp.filePath(name);
        QDir().mkpath(dir);
        auto index = std::make_unique<MeetingSearchIndex>(
            dir, [this] { return records; }, scheduler, std::make_unique<ImmediateExecutor>(),
            temp.filePath(name + ".sqlite"));
        return index;
    }
    void addMeeting(MeetingSearchIndex& index, int number, const QString& text) {
        const QString file = QStringLiteral("m%1.md").arg(number);
        writeFile(QDir(index.outputDirectory()).filePath(file),
                  markdownTranscript({{"09:00:00", "Alice", text}}));
        records.append(meeting(number, index.outputDirectory(), file));
        index.historyChanged();
    }
    // The index answers through the event loop; the session's timers run in virtual time.
    void settle(Duration by = SearchSession::typingPause) {
        scheduler.advance(by);
        QDeadlineTimer deadline(2000);
        while (!deadline.hasExpired()) {
            QCoreApplication::processEvents();
            if (scheduler.pendingCount() == 0)
                break;
            scheduler.runDue();
        }
        QCoreApplication::processEvents();
    }
    QStringList lastSnippets() const {
        QStringList texts;
        if (!answers.isEmpty())
            for (const SearchResult& result : answers.last().results)
                texts.append(result.snippet.text);
        return texts;
    }
};

} // namespace

TEST_F(SearchSessionTest, TypingRunsOneQueryForTheLastTextAndClearingDropsLateAnswers) {
    auto index = makeIndex("a");
    addMeeting(*index, 1, "The budget is tight.");
    addMeeting(*index, 2, "Budgets are approved.");
    settle();
    session.setIndex(index.get());

    session.setQuery("bud");
    scheduler.advance(Duration(100));
    session.setQuery("budget");
    scheduler.advance(Duration(100));
    EXPECT_TRUE(answers.isEmpty()); // still typing
    settle();
    ASSERT_EQ(answers.size(), 1);
    EXPECT_EQ(lastSnippets(), QStringList{"The budget is tight."});

    session.setQuery("budget*");
    session.setQuery("  ");
    EXPECT_EQ(clears, 1);
    EXPECT_FALSE(session.isActive());
    settle();
    EXPECT_EQ(answers.size(), 1); // the query typed before clearing never answers

    session.setQuery("after:someday");
    settle();
    ASSERT_EQ(answers.size(), 2);
    EXPECT_FALSE(answers.last().error.isEmpty());
}

TEST_F(SearchSessionTest, ResultsFollowTheIndexAndAFolderSwitch) {
    auto first = makeIndex("a");
    session.setQuery("roadmap");
    settle();
    EXPECT_TRUE(answers.isEmpty()); // no index yet: nothing to answer

    session.setIndex(first.get());
    settle();
    ASSERT_EQ(answers.size(), 1);
    EXPECT_TRUE(lastSnippets().isEmpty());

    // A meeting recorded meanwhile shows up without typing again.
    addMeeting(*first, 1, "Roadmap review on Friday.");
    settle(MeetingSearchIndex::directoryDelay);
    EXPECT_EQ(lastSnippets(), QStringList{"Roadmap review on Friday."});

    // Another output directory: its own meetings only.
    records.clear();
    auto second = makeIndex("b");
    addMeeting(*second, 2, "New roadmap for spring.");
    settle();
    session.setIndex(second.get());
    first.reset();
    settle();
    EXPECT_EQ(lastSnippets(), QStringList{"New roadmap for spring."});
}
