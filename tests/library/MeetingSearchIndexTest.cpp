#include "library/search/MeetingSearchIndex.h"

#include "SearchTestFiles.h"
#include "fakes/AwaitTask.h"
#include "fakes/ImmediateExecutor.h"
#include "fakes/ManualScheduler.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace velmora;
using namespace velmora::searchtest;

namespace {

class MeetingSearchIndexTest : public ::testing::Test {
protected:
    QTemporaryDir temp;
    QString dir = temp.filePath("meetings");
    ManualScheduler scheduler;
    QList<MeetingRecord> records;
    std::unique_ptr<MeetingSearchIndex> index;

    void SetUp() override {
        ASSERT_TRUE(QDir().mkpath(dir));
        index = std::make_unique<MeetingSearchIndex>(
            dir, [this] { return records; }, scheduler, std::make_unique<ImmediateExecutor>(),
            temp.filePath("cache/index.sqlite"));
    }
    QString file(const QString& name) const { return QDir(dir).filePath(name); }

    QStringList hits(const QString& query) {
        const auto outcome = awaitTask(index->search(query));
        EXPECT_TRUE(outcome.value);
        QStringList result;
        for (const SearchResult& r : outcome.value->results)
            result.append(SearchEntryKinds::rawValue(r.kind) + ":" + r.snippet.text);
        return result;
    }
    // Serves the file watcher until it asked for a sync; the sync itself runs in virtual time.
    bool waitForWatcher() {
        QDeadlineTimer deadline(10000);
        while (scheduler.pendingCount() == 0 && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 100);
        return scheduler.pendingCount() > 0;
    }
};

} // namespace

TEST_F(MeetingSearchIndexTest, FollowsTheHistoryAndTheFilesBesideTheTranscripts) {
    int changes = 0;
    QObject::connect(index.get(), &MeetingSearchIndex::indexChanged, [&] { ++changes; });
    writeFile(file("a.md"), markdownTranscript({{"09:00:00", "Alice", "The budget is tight."}}));
    records = {meeting(1, dir, "a.md")};
    index->historyChanged();
    EXPECT_EQ(hits("budget"), QStringList{}); // nothing before the scheduler's turn
    scheduler.runDue();
    EXPECT_EQ(hits("budget"), QStringList{"transcript:The budget is tight."});
    EXPECT_EQ(changes, 1);

    // Notes saved and a summary written beside the transcript, before the record links them.
    writeFile(file("a-notes.md"), "Budget notes");
    writeFile(file("a-summary.md"), "# Meeting Summary\n\n## Topics\n- Budget review\n");
    index->historyChanged();
    index->historyChanged(); // one sync for both
    scheduler.runDue();
    EXPECT_EQ(hits("budget").size(), 3);
    EXPECT_EQ(changes, 2);

    // Removed on disk, then the whole meeting deleted from the history.
    QFile::remove(file("a-notes.md"));
    index->historyChanged();
    scheduler.runDue();
    EXPECT_EQ(hits("budget").size(), 2);
    records.clear();
    index->historyChanged();
    scheduler.runDue();
    EXPECT_EQ(hits("budget"), QStringList{});
    EXPECT_EQ(changes, 4);
}

TEST_F(MeetingSearchIndexTest, ALiveMeetingIsSearchableAsItsTranscriptGrowsAndEditsOutsideAreSeen) {
    writeFile(file("live.md"), markdownTranscript({{"09:00:00", "Alice", "Opening words."}}));
    MeetingRecord live = meeting(1, dir, "live.md");
    live.duration = 0; // not finalised yet
    records = {live};
    index->start();
    scheduler.runDue();
    EXPECT_EQ(index->liveFiles(), QSet<QString>{file("live.md")});
    EXPECT_EQ(hits("opening").size(), 1);

    // The writer appends a flushed utterance in place.
    appendFile(file("live.md"), "**[09:05:00] Bob:**\n\nQuarterly forecast looks fine.\n\n");
    ASSERT_TRUE(waitForWatcher());
    scheduler.advance(MeetingSearchIndex::liveDelay);
    EXPECT_EQ(hits("forecast"), QStringList{"transcript:Quarterly forecast looks fine."});

    // Finalised: no longer watched as live.
    records[0].duration = 300;
    index->historyChanged();
    scheduler.runDue();
    EXPECT_TRUE(index->liveFiles().isEmpty());

    // Replaced by an editor that saves through a new file: a directory event.
    writeFile(file("live.md.tmp"), markdownTranscript({{"09:00:00", "Alice", "Edited elsewhere."}}));
    ASSERT_TRUE(QFile::rename(file("live.md"), file("old.md")));
    ASSERT_TRUE(QFile::rename(file("live.md.tmp"), file("live.md")));
    ASSERT_TRUE(waitForWatcher());
    scheduler.advance(MeetingSearchIndex::directoryDelay);
    EXPECT_EQ(hits("forecast"), QStringList{});
    EXPECT_EQ(hits("edited").size(), 1);
}

TEST(MeetingSearchIndexPathTest, OneIndexPerOutputDirectoryInThePrivateCache) {
    QTemporaryDir temp;
    const QString a = temp.filePath("a");
    QDir().mkpath(a);
    QDir().mkpath(temp.filePath("b"));
    QFile::link(a, temp.filePath("link-to-a"));
    const QString path = MeetingSearchIndex::defaultIndexPath(a);
    EXPECT_TRUE(path.startsWith(QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation)));
    EXPECT_EQ(MeetingSearchIndex::defaultIndexPath(a + "/"), path);
    EXPECT_EQ(MeetingSearchIndex::defaultIndexPath(temp.filePath("link-to-a")), path);
    EXPECT_NE(MeetingSearchIndex::defaultIndexPath(temp.filePath("b")), path);
}
