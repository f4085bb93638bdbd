#include "library/search/SearchDatabase.h"

#include "SearchTestFiles.h"

#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace velmora;
using namespace velmora::searchtest;

namespace {

class SearchDatabaseTest : public ::testing::Test {
protected:
    QTemporaryDir temp;
    QString dir = temp.filePath("meetings");
    QString indexPath = temp.filePath("cache/index.sqlite");
    QList<MeetingRecord> records;

    void SetUp() override { ASSERT_TRUE(QDir().mkpath(dir)); }
    QString file(const QString& name) const { return QDir(dir).filePath(name); }

    // Three meetings on three days, newest last.
    void writeCorpus() {
        writeFile(file("m1.md"), markdownTranscript({
            {"09:00:00", "Jürgen Müller", "We need to decide about the budget for next quarter."},
            {"09:00:10", "Jürgen Müller", "Also the hiring plan."},
            {"09:01:00", "Ann Lee", "The plan for hiring is separate. 我们明天开会讨论预算。"},
        }));
        writeFile(file("m2.md"), markdownTranscript({
            {"10:00:00", "Alice", "Budget budget budget."},
            {"10:00:30", "Bob", "Café au lait, then the budgeting workshop, long after the other things we talked "
                                "about for a very long time."},
            {"10:01:00", "Ann Lee", "会議は明日です。"},
        }));
        writeFile(file("m3.md"), markdownTranscript({{"11:00:00", "Alice", "Budget budget budget."}}));
        writeFile(file("m3-notes.md"), "Ask Muller about the budget\n\nSecond paragraph");
        writeFile(file("m3-summary.md"), "# Meeting Summary\n\n## Decisions\n- Budget frozen\n");
        records = {meeting(3, dir, "m3.md", QDateTime(QDate(2026, 3, 3), QTime(11, 0), QTimeZone::utc())),
                   meeting(2, dir, "m2.md", QDateTime(QDate(2026, 3, 2), QTime(10, 0), QTimeZone::utc())),
                   meeting(1, dir, "m1.md", QDateTime(QDate(2026, 3, 1), QTime(9, 0), QTimeZone::utc()))};
    }

    static QStringList where(const SearchOutcome& outcome) {
        QStringList result;
        for (const SearchResult& r : outcome.results) {
            result.append(QStringLiteral("%1:%2:%3").arg(QFileInfo(r.filePath).fileName()).arg(r.ordinal).arg(r.speaker));
        }
        return result;
    }
    static SearchOutcome find(SearchDatabase& db, const QString& text, int limit = 50) {
        return db.search(SearchQuery::parse(text), limit);
    }
};

} // namespace

TEST_F(SearchDatabaseTest, QueriesMatchWordsPhrasesPrefixesSpeakersDatesDiacriticsAndUnspacedScripts) {
    writeCorpus();
    SearchDatabase db(indexPath, dir);
    ASSERT_TRUE(db.sync(records).filesIndexed == 5);

    EXPECT_EQ(where(find(db, "\"hiring plan\"")), QStringList{"m1.md:1:Jürgen Müller"});
    EXPECT_EQ(where(find(db, "hiring plan")).size(), 2); // both words, in any order
    EXPECT_EQ(where(find(db, "budgeting")), QStringList{"m2.md:1:Bob"});
    EXPECT_EQ(where(find(db, "budget speaker:bob")), QStringList{});
    EXPECT_EQ(where(find(db, "budg* speaker:bob")), QStringList{"m2.md:1:Bob"});
    EXPECT_EQ(where(find(db, "speaker:\"ann lee\"")).size(), 2);
    EXPECT_EQ(where(find(db, "speaker:mueller")), QStringList{});
    EXPECT_EQ(where(find(db, "speaker:MULLER")).size(), 2);
    EXPECT_EQ(where(find(db, "muller")), QStringList{"m3-notes.md:0:"});
    EXPECT_EQ(where(find(db, "CAFE")), QStringList{"m2.md:1:Bob"});

    // Days are inclusive for after:, exclusive for before:.
    EXPECT_EQ(where(find(db, "budget after:2026-03-02 before:2026-03-03")), QStringList{"m2.md:0:Alice"});
    EXPECT_EQ(where(find(db, "budget before:2026-03-02")), QStringList{"m1.md:0:Jürgen Müller"});

    // Any two or more characters of Chinese or Japanese text; nothing that is not there.
    EXPECT_EQ(where(find(db, "明天")), QStringList{"m1.md:2:Ann Lee"});
    EXPECT_EQ(where(find(db, "天开会讨论")), QStringList{"m1.md:2:Ann Lee"});
    EXPECT_EQ(where(find(db, "議は明")), QStringList{"m2.md:2:Ann Lee"});
    EXPECT_EQ(where(find(db, "明")).size(), 2);
    EXPECT_EQ(where(find(db, "天明")), QStringList{});
    EXPECT_EQ(where(find(db, "\"会開\"")), QStringList{});
}

TEST_F(SearchDatabaseTest, ResultsComeByRelevanceThenNewestWithKindsFieldsAndMarkedSnippets) {
    writeCorpus();
    // Relevance needs a word that is rare in the library, as real searches are.
    std::vector<Said> filler;
    for (int i = 0; i < 40; ++i)
        filler.push_back({"08:00:00", "Zed", QStringLiteral("Small talk number %1 about the weather.").arg(i)});
    writeFile(file("filler.md"), markdownTranscript(filler));
    records.append(meeting(7, dir, "filler.md", QDateTime(QDate(2026, 2, 1), QTime(8, 0), QTimeZone::utc())));
    SearchDatabase db(indexPath, dir);
    db.sync(records);
    const SearchOutcome outcome = find(db, "budget");
    ASSERT_TRUE(outcome.error.isEmpty());
    // Two equally relevant utterances ("Budget budget budget.") newest first, then the rest.
    ASSERT_GE(outcome.results.size(), 5);
    EXPECT_EQ(where(outcome).mid(0, 2), (QStringList{"m3.md:0:Alice", "m2.md:0:Alice"}));
    EXPECT_EQ(where(outcome).last(), "m1.md:0:Jürgen Müller"); // one mention in a long utterance
    for (int i = 1; i < outcome.results.size(); ++i)
        EXPECT_LE(qRound(outcome.results[i - 1].score * 10), qRound(outcome.results[i].score * 10));

    const SearchResult& top = outcome.results.front();
    EXPECT_EQ(top.meetingID, records[0].id);
    EXPECT_EQ(top.meetingDate, records[0].date);
    EXPECT_EQ(top.source, CaptionSource::browserMeet);
    EXPECT_EQ(top.kind, SearchEntryKind::transcript);
    EXPECT_EQ(top.time, QTime(11, 0));
    EXPECT_EQ(top.snippet.marked("<", ">"), "<Budget> <budget> <budget>.");

    bool sawNotes = false, sawSummary = false;
    for (const SearchResult& r : outcome.results) {
        if (r.kind == SearchEntryKind::notes) {
            sawNotes = true;
            EXPECT_TRUE(r.speaker.isEmpty());
            EXPECT_FALSE(r.time);
        }
        if (r.kind == SearchEntryKind::summary) {
            sawSummary = true;
            EXPECT_EQ(r.section, "Decisions");
            EXPECT_EQ(r.snippet.marked("<", ">"), "<Budget> frozen");
        }
    }
    EXPECT_TRUE(sawNotes && sawSummary);
    EXPECT_EQ(find(db, "budget", 2).results.size(), 2);
}

TEST_F(SearchDatabaseTest, HostileQueriesNeverReachSqlAsSyntax) {
    writeCorpus();
    SearchDatabase db(indexPath, dir);
    db.sync(records);
    const QStringList hostile = {
        "'; DROP TABLE entries; --", "\" OR 1=1 --", "budget\" OR \"x", "NEAR(budget plan)", "budget AND",
        "OR", "NOT budget", "{body speaker}: budget", "body: budget", "speaker:\"x\" OR rowid=1", "^budget",
        "budget*)", "((((", "\\", "\"\"\"\"", "budget -", "a:b:c", "*budget", QString("budget") + QChar(0) + "plan",
        QString(10 * 1024, QChar('a')), QString(10 * 1024, QChar('"')), QString(2000, QChar(' ')) + "budget",
        QStringList(QList<QString>(3000, "x*")).join(' '), QString::fromUtf8("\xF0\x9F\x92\xB0 budget"),
    };
    for (const QString& text : hostile) {
        const SearchQuery query = SearchQuery::parse(text);
        const SearchOutcome outcome = db.search(query, 20);
        SCOPED_TRACE(text.left(60).toStdString());
        EXPECT_EQ(outcome.error, query.error); // either results or the query's own message
    }
    EXPECT_EQ(where(find(db, "'; DROP TABLE entries; --")), QStringList{});
    EXPECT_EQ(db.entryCount(), 10); // nothing was dropped
}

TEST_F(SearchDatabaseTest, RebuildFromTheFilesEqualsTheIndexBuiltStepByStep) {
    writeCorpus();
    SearchDatabase incremental(indexPath, dir);
    incremental.sync(records.mid(2));
    incremental.sync(records);
    // Edited outside, notes removed, a meeting deleted, a new one added, a summary linked.
    writeFile(file("m1.md"), markdownTranscript({{"09:00:00", "Ann Lee", "Rewritten by hand."}}));
    QFile::remove(file("m3-notes.md"));
    records.removeAt(1);
    writeFile(file("m4.txt"), "Date: x\n\n[12:00:00] Dan: Plain text meeting.\n");
    records.prepend(meeting(4, dir, "m4.txt", QDateTime(QDate(2026, 3, 4), QTime(12, 0), QTimeZone::utc())));
    writeFile(file("elsewhere-summary.md"), "## Topics\n- Linked summary\n");
    records[0].summaryPath = file("elsewhere-summary.md");
    const SearchDatabase::SyncReport report = incremental.sync(records);
    EXPECT_EQ(report.filesIndexed, 3);
    EXPECT_EQ(report.filesRemoved, 2); // m2.md and m3-notes.md
    EXPECT_EQ(incremental.sync(records).changed(), false);

    SearchDatabase rebuilt(temp.filePath("cache/rebuilt.sqlite"), dir);
    rebuilt.sync(records);
    EXPECT_EQ(incremental.dump(), rebuilt.dump());
    EXPECT_EQ(where(find(incremental, "hand")), QStringList{"m1.md:0:Ann Lee"});
    EXPECT_EQ(where(find(incremental, "lait")), QStringList{});
    EXPECT_EQ(where(find(incremental, "linked")), QStringList{"elsewhere-summary.md:0:"});
}

TEST_F(SearchDatabaseTest, AFileChangedInPlaceWithTheSameSizeIsReadAgain) {
    writeFile(file("m1.md"), markdownTranscript({{"09:00:00", "Ann", "alpha"}}));
    records = {meeting(1, dir, "m1.md")};
    SearchDatabase db(indexPath, dir);
    db.sync(records);
    writeFile(file("m1.md"), markdownTranscript({{"09:00:00", "Ann", "gamma"}}));
    QFile f(file("m1.md"));
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    ASSERT_TRUE(f.setFileTime(QDateTime::currentDateTime().addSecs(5), QFileDevice::FileModificationTime));
    f.close();
    EXPECT_EQ(db.sync(records).filesIndexed, 1);
    EXPECT_EQ(where(find(db, "gamma")), QStringList{"m1.md:0:Ann"});
    EXPECT_EQ(where(find(db, "alpha")), QStringList{});
}

TEST_F(SearchDatabaseTest, CorruptOrForeignIndexFilesAreSetAsideAndRebuilt) {
    writeCorpus();
    QDir().mkpath(QFileInfo(indexPath).path());
    writeFile(indexPath, QByteArray(4096, 'x'));
    {
        SearchDatabase db(indexPath, dir);
        ASSERT_TRUE(db.open());
        EXPECT_EQ(db.setAsidePath(), indexPath + ".bad");
        db.sync(records);
        EXPECT_EQ(find(db, "budget").results.size(), 5);
    }
    EXPECT_EQ(QFile(indexPath + ".bad").size(), 4096);
    EXPECT_EQ(QFileInfo(indexPath).permissions() & (QFile::ReadGroup | QFile::ReadOther | QFile::WriteOther), 0);

    // Damage found while in use: that sync fails, the next one starts over.
    {
        QFile damaged(indexPath);
        ASSERT_TRUE(damaged.open(QIODevice::ReadWrite));
        damaged.seek(8192);
        damaged.write(QByteArray(damaged.size() - 8192, '\xff'));
    }
    {
        SearchDatabase db(indexPath, dir);
        writeFile(file("m1.md"), markdownTranscript({{"09:00:00", "Ann", "Changed so it is read again."}}));
        bool recovered = false;
        for (int attempt = 0; attempt < 3 && !recovered; ++attempt) {
            const SearchDatabase::SyncReport report = db.sync(records);
            recovered = !report.failed && find(db, "budget").results.size() == 4;
        }
        EXPECT_TRUE(recovered);
    }

    // A database of something else entirely.
    QFile::remove(indexPath);
    {
        QSqlDatabase other = QSqlDatabase::addDatabase("QSQLITE", "foreign");
        other.setDatabaseName(indexPath);
        ASSERT_TRUE(other.open());
        QSqlQuery(other).exec("CREATE TABLE meta(key TEXT, value TEXT)");
        QSqlQuery(other).exec("INSERT INTO meta VALUES('schema', '99')");
        other.close();
    }
    QSqlDatabase::removeDatabase("foreign");
    SearchDatabase db(indexPath, dir);
    ASSERT_TRUE(db.open());
    EXPECT_TRUE(db.setAsidePath());
    EXPECT_EQ(db.sync(records).filesIndexed, 5);
}

TEST_F(SearchDatabaseTest, AnIndexOfAnotherOutputDirectoryIsNeverMixedIn) {
    writeCorpus();
    {
        SearchDatabase db(indexPath, dir);
        db.sync(records);
    }
    const QString otherDir = temp.filePath("other");
    QDir().mkpath(otherDir);
    writeFile(QDir(otherDir).filePath("o.md"), markdownTranscript({{"08:00:00", "Olga", "Other budget."}}));
    SearchDatabase other(indexPath, otherDir);
    other.sync({meeting(9, otherDir, "o.md")});
    EXPECT_TRUE(other.setAsidePath());
    EXPECT_EQ(where(find(other, "budget")), QStringList{"o.md:0:Olga"});
}
