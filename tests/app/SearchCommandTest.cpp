#include "app/SearchCommand.h"

#include "library/MeetingHistoryManager.h"
#include "library/search/MeetingSearchIndex.h"

#include "../library/SearchTestFiles.h"

#include <QCryptographicHash>
#include <QDirIterator>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace velmora;
using namespace velmora::searchtest;

namespace {

struct CommandRun {
    int status = -1;
    QString out;
    QString err;
};

class SearchCommandTest : public ::testing::Test {
protected:
    QTemporaryDir temp;
    QString dir = temp.filePath("meetings");

    void SetUp() override {
        ASSERT_TRUE(QDir().mkpath(dir));
        writeFile(QDir(dir).filePath("m1.md"),
                  markdownTranscript({{"09:00:00", "Alice", "We agreed on the budget."},
                                      {"09:01:00", "Bob", "Unrelated words."}}));
        writeFile(QDir(dir).filePath("m1-notes.md"), "Budget notes");
        MeetingRecord record = meeting(1, dir, "m1.md");
        record.source = CaptionSource::browserTeams;
        writeFile(QDir(dir).filePath("meetings.json"), MeetingHistoryManager::encode({record}));
    }
    void TearDown() override { QFile::remove(MeetingSearchIndex::defaultIndexPath(dir)); }

    CommandRun search(const QStringList& arguments) {
        CommandRun run;
        QTextStream out(&run.out), err(&run.err);
        run.status = SearchCommand::run(QStringList{"search"} + arguments, out, err);
        return run;
    }
    // Names and contents of everything in the output directory.
    QByteArray fingerprint() const {
        QCryptographicHash hash(QCryptographicHash::Sha256);
        QDirIterator it(dir, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        QStringList names;
        while (it.hasNext())
            names.append(it.next());
        names.sort();
        for (const QString& name : names) {
            QFile file(name);
            file.open(QIODevice::ReadOnly);
            hash.addData(name.toUtf8());
            hash.addData(file.readAll());
        }
        return hash.result();
    }
};

} // namespace

TEST_F(SearchCommandTest, PrintsOneLinePerResultOrJsonAndTellsResultsFromNoneByItsStatus) {
    const QByteArray before = fingerprint();
    const CommandRun found = search({"budget", "--output-dir", dir});
    EXPECT_EQ(found.status, 0) << found.err.toStdString();
    const QStringList lines = found.out.trimmed().split('\n');
    ASSERT_EQ(lines.size(), 2);
    EXPECT_TRUE(lines.contains("2026-03-14 09:30  Microsoft Teams  Alice 09:00:00  We agreed on the **budget**."))
        << found.out.toStdString();
    EXPECT_TRUE(lines.contains("2026-03-14 09:30  Microsoft Teams  notes  **Budget** notes"));

    const CommandRun limited = search({"--limit", "1", "budget", "--json", "--output-dir", dir});
    EXPECT_EQ(limited.status, 0);
    const QJsonArray array = QJsonDocument::fromJson(limited.out.toUtf8()).array();
    ASSERT_EQ(array.size(), 1);
    const QJsonObject first = array.first().toObject();
    EXPECT_EQ(first["meeting"].toString(), "00000000-0000-0000-0000-000000000001");
    EXPECT_EQ(first["source"].toString(), "browserTeams");
    EXPECT_TRUE(first["kind"].toString() == "transcript" || first["kind"].toString() == "notes");
    EXPECT_FALSE(first["snippet"].toString().isEmpty());
    EXPECT_EQ(first["matches"].toArray().size(), 1);

    const CommandRun none = search({"nothing", "like", "this", "--output-dir", dir});
    EXPECT_EQ(none.status, 1);
    EXPECT_TRUE(none.out.isEmpty());
    EXPECT_EQ(search({"nothing", "--json", "--output-dir", dir}).out.trimmed(), "[\n]");
    EXPECT_EQ(fingerprint(), before); // the history and the files are only read
}

TEST_F(SearchCommandTest, BadDirectoriesHistoriesQueriesAndArgumentsExitWithTwoAndAMessage) {
    writeFile(temp.filePath("plain-file"), "x");
    for (const QStringList& arguments :
         {QStringList{"budget", "--output-dir", temp.filePath("missing")},
          QStringList{"budget", "--output-dir", temp.filePath("plain-file")},
          QStringList{"after:2026-02-30 budget", "--output-dir", dir}, QStringList{"--output-dir", dir},
          QStringList{"budget", "--limit", "0", "--output-dir", dir},
          QStringList{"budget", "--limit", "many", "--output-dir", dir}, QStringList{"budget", "--frobnicate"}}) {
        const CommandRun run = search(arguments);
        EXPECT_EQ(run.status, 2) << arguments.join(' ').toStdString();
        EXPECT_TRUE(run.err.startsWith("velmora search: ")) << run.err.toStdString();
        EXPECT_TRUE(run.out.isEmpty());
    }
    writeFile(QDir(dir).filePath("meetings.json"), "{broken");
    const CommandRun broken = search({"budget", "--output-dir", dir});
    EXPECT_EQ(broken.status, 2);
    EXPECT_TRUE(broken.err.contains("history"));
    EXPECT_EQ(QFile(QDir(dir).filePath("meetings.json")).size(), 7); // left as it was
}
