#include "library/MeetingHistoryManager.h"
#include "fakes/ImmediateExecutor.h"
#include "fakes/LogCapture.h"

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTimeZone>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

#include <sys/stat.h>

using namespace velmora;

namespace {

const QString category = QStringLiteral("velmora.history");

QDateTime at(qint64 secondsSince2001, int ms = 0) {
    return QDateTime(QDate(2001, 1, 1), QTime(0, 0), QTimeZone::utc()).addSecs(secondsSince2001).addMSecs(ms);
}

class MeetingHistoryManagerTest : public ::testing::Test {
protected:
    QTemporaryDir root;
    QString dir = root.filePath(QStringLiteral("out"));
    QString historyPath = dir + QStringLiteral("/meetings.json");
    ImmediateExecutor* saves = nullptr; // owned by the manager

    void SetUp() override { ASSERT_TRUE(QDir().mkpath(dir)); }

    QString inDir(const QString& name) const { return dir + QLatin1Char('/') + name; }

    static void write(const QString& path, const QByteArray& bytes) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
        file.write(bytes);
    }
    static QByteArray read(const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    void touch(std::initializer_list<const char*> names) {
        for (const char* name : names)
            write(inDir(QString::fromUtf8(name)), "x");
    }

    std::unique_ptr<MeetingHistoryManager> open() {
        auto executor = std::make_unique<ImmediateExecutor>();
        saves = executor.get();
        return std::make_unique<MeetingHistoryManager>(dir, std::move(executor));
    }

    MeetingRecord record(int seconds, const char* transcript = nullptr) {
        MeetingRecord r;
        r.id = QUuid::createUuid();
        r.date = at(seconds);
        r.source = CaptionSource::zoom;
        if (transcript)
            r.transcriptPath = inDir(QString::fromUtf8(transcript));
        return r;
    }
};

TEST_F(MeetingHistoryManagerTest, FileFormatRoundTripsByteForByte) {
    const QByteArray json =
        R"([{"id":"6F9619FF-8B86-D011-B42D-00C04FC964FF","date":795173405.5,"duration":3725.25,)"
        R"("source":"teams","transcriptPath":"2026-03-14_09-30-05_Teams.md",)"
        R"("summaryPath":"2026-03-14_09-30-05_Teams-summary.md","notesPath":"2026-03-14_09-30-05_Teams-notes.md"},)"
        R"({"id":"0B6A4C4E-2D7B-4E47-9B7A-34A0E1C2D3F4","date":795110400,"duration":0,"source":"browserMeet",)"
        R"("transcriptPath":"Caf\u00e9 \"q\".txt"},)"
        R"({"id":"1C0E7A92-51D3-4F6B-8F0E-9A8B7C6D5E4F","date":795000000.125,"duration":12,"source":"browserZoom"}])";
    touch({"2026-03-14_09-30-05_Teams.md", "2026-03-14_09-30-05_Teams-summary.md",
           "2026-03-14_09-30-05_Teams-notes.md"});
    write(inDir(QStringLiteral("Café \"q\".txt")), "x");
    write(historyPath, json);

    auto history = open();
    const QList<MeetingRecord> records = history->records();
    ASSERT_EQ(records.size(), 3);
    const MeetingRecord& first = records[0];
    EXPECT_EQ(first.id, QUuid::fromString(QStringLiteral("6f9619ff-8b86-d011-b42d-00c04fc964ff")));
    EXPECT_EQ(first.date, QDateTime(QDate(2026, 3, 14), QTime(9, 30, 5, 500), QTimeZone::utc()));
    EXPECT_EQ(first.duration, 3725.25);
    EXPECT_EQ(first.source, CaptionSource::teams);
    EXPECT_EQ(first.summaryPath, inDir(QStringLiteral("2026-03-14_09-30-05_Teams-summary.md")));
    EXPECT_EQ(records[1].transcriptPath, inDir(QStringLiteral("Café \"q\".txt")));
    EXPECT_EQ(records[2].transcriptPath, std::nullopt); // no transcript: kept by validation
    EXPECT_EQ(saves->jobCount, 0);

    history->updateRecord(first);
    EXPECT_EQ(saves->jobCount, 1);
    // Non-ASCII is written as UTF-8, not escaped.
    QByteArray expected = json;
    expected.replace("\\u00e9", "é");
    EXPECT_EQ(read(historyPath), expected);
}

TEST_F(MeetingHistoryManagerTest, LegacyPathsAndNullReadAsBareNamesAndAreSavedSo) {
    write(historyPath,
          R"([{"source":"zoom","duration":60,"date":795110400,"id":"6F9619FF-8B86-D011-B42D-00C04FC964FF",)"
          R"("transcriptPath":"/Users/someone/Documents/Velmora/2026-03-14_09-30-05_Teams.md",)"
          R"("summaryPath":"file:///Users/someone/Documents/Velmora/My%20Summary.md","notesPath":null}])");
    touch({"2026-03-14_09-30-05_Teams.md", "My Summary.md"});

    auto history = open();
    ASSERT_EQ(history->records().size(), 1);
    const MeetingRecord loaded = history->records().constFirst();
    EXPECT_EQ(loaded.transcriptPath, inDir(QStringLiteral("2026-03-14_09-30-05_Teams.md")));
    EXPECT_EQ(loaded.summaryPath, inDir(QStringLiteral("My Summary.md")));
    EXPECT_EQ(loaded.notesPath, std::nullopt);

    history->updateRecord(loaded);
    EXPECT_EQ(read(historyPath),
              R"([{"id":"6F9619FF-8B86-D011-B42D-00C04FC964FF","date":795110400,"duration":60,"source":"zoom",)"
              R"("transcriptPath":"2026-03-14_09-30-05_Teams.md","summaryPath":"My Summary.md"}])");
}

TEST_F(MeetingHistoryManagerTest, StoredNamesNeverReachOutsideTheOutputDirectory) {
    const auto resolve = [&](const QString& stored) { return MeetingHistoryManager::resolveFilename(stored, dir); };
    EXPECT_EQ(resolve(QStringLiteral("../../secret.md")), inDir(QStringLiteral("secret.md")));
    EXPECT_EQ(resolve(QStringLiteral("/etc/passwd")), inDir(QStringLiteral("passwd")));
    EXPECT_EQ(resolve(QStringLiteral("file:///etc/passwd")), inDir(QStringLiteral("passwd")));
    EXPECT_EQ(resolve(QStringLiteral("file:///etc/%2E%2E")), std::nullopt);
    for (const char* absent : {"", ".", "..", "/", "a/..", "notes/", "file:///"})
        EXPECT_EQ(resolve(QString::fromUtf8(absent)), std::nullopt) << absent;
    EXPECT_EQ(MeetingHistoryManager::resolveFilename(std::nullopt, dir), std::nullopt);

    // A history naming a file beside the output directory loses that record, and deleting a
    // record that names an outside file leaves the outside file alone.
    const QString outside = root.filePath(QStringLiteral("outside.md"));
    write(outside, "keep");
    write(historyPath, R"([{"id":"6F9619FF-8B86-D011-B42D-00C04FC964FF","date":1,"duration":0,)"
                       R"("source":"zoom","transcriptPath":"../outside.md"}])");
    auto history = open();
    EXPECT_TRUE(history->records().isEmpty());

    MeetingRecord crafted = record(5, "inside.md");
    touch({"inside.md"});
    history->addRecord(crafted);
    crafted.notesPath = outside;
    history->deleteRecord(crafted);
    EXPECT_TRUE(QFileInfo::exists(outside));
    EXPECT_FALSE(QFileInfo::exists(inDir(QStringLiteral("inside.md"))));
}

TEST_F(MeetingHistoryManagerTest, RecordsStayNewestFirstAndEqualDatesKeepTheirOrder) {
    write(historyPath, R"([{"id":"00000000-0000-0000-0000-000000000001","date":10,"duration":0,"source":"zoom"},)"
                       R"({"id":"00000000-0000-0000-0000-000000000002","date":30,"duration":0,"source":"zoom"},)"
                       R"({"id":"00000000-0000-0000-0000-000000000003","date":10,"duration":0,"source":"zoom"}])");
    auto history = open();
    const auto ids = [&] {
        QList<int> result;
        for (const MeetingRecord& r : history->records())
            result.append(r.id.toString(QUuid::WithoutBraces).right(1).toInt(nullptr, 16));
        return result;
    };
    EXPECT_EQ(ids(), (QList<int>{2, 1, 3}));

    MeetingRecord late = record(20), sameAsLate = record(20), newest = record(40);
    late.id = QUuid::fromString(QStringLiteral("00000000-0000-0000-0000-00000000000a"));
    sameAsLate.id = QUuid::fromString(QStringLiteral("00000000-0000-0000-0000-00000000000b"));
    newest.id = QUuid::fromString(QStringLiteral("00000000-0000-0000-0000-00000000000c"));
    history->addRecord(late);
    history->addRecord(newest);
    history->addRecord(sameAsLate);
    EXPECT_EQ(ids(), (QList<int>{12, 2, 10, 11, 1, 3}));
}

TEST_F(MeetingHistoryManagerTest, UpdateReplacesInPlaceAndIgnoresUnknownIds) {
    auto history = open();
    const MeetingRecord older = record(10), newer = record(20);
    history->addRecord(older);
    history->addRecord(newer);
    const int savesBefore = saves->jobCount;
    const QByteArray fileBefore = read(historyPath);

    history->updateRecord(record(30));
    EXPECT_EQ(saves->jobCount, savesBefore);
    EXPECT_EQ(read(historyPath), fileBefore);

    MeetingRecord changed = older;
    changed.date = at(99);
    changed.duration = 42;
    history->updateRecord(changed);
    EXPECT_EQ(history->records(), (QList<MeetingRecord>{newer, changed}));
    EXPECT_EQ(saves->jobCount, savesBefore + 1);
}

TEST_F(MeetingHistoryManagerTest, DeleteRemovesTheRecordAndWhateverFilesAreLeft) {
    auto history = open();
    int changes = 0;
    history->setOnRecordsChanged([&] { ++changes; });
    MeetingRecord meeting = record(10, "m.md");
    meeting.summaryPath = inDir(QStringLiteral("m-summary.md"));
    meeting.notesPath = inDir(QStringLiteral("m-notes.md"));
    touch({"m.md", "m-notes.md"});
    const MeetingRecord other = record(5);
    history->addRecord(meeting);
    history->addRecord(other);

    history->deleteRecord(record(1)); // unknown: nothing at all
    EXPECT_EQ(changes, 0);
    EXPECT_EQ(history->records().size(), 2);

    LogCapture log;
    history->deleteRecord(meeting);
    EXPECT_EQ(history->records(), QList<MeetingRecord>{other});
    EXPECT_EQ(changes, 1);
    EXPECT_FALSE(QFileInfo::exists(inDir(QStringLiteral("m.md"))));
    EXPECT_FALSE(QFileInfo::exists(inDir(QStringLiteral("m-notes.md"))));
    EXPECT_TRUE(log.contains(category, QStringLiteral("Failed to delete file: m-summary.md: ")));
    EXPECT_FALSE(read(historyPath).contains(meeting.id.toString(QUuid::WithoutBraces).toUpper().toLatin1()));
}

TEST_F(MeetingHistoryManagerTest, ValidationAtStartDropsLostTranscriptsAndClearsLostLinks) {
    touch({"kept.md"});
    write(historyPath,
          R"([{"id":"00000000-0000-0000-0000-000000000001","date":3,"duration":0,"source":"zoom","transcriptPath":"gone.md","notesPath":"kept.md"},)"
          R"({"id":"00000000-0000-0000-0000-000000000002","date":2,"duration":0,"source":"zoom","transcriptPath":"kept.md","summaryPath":"s.md","notesPath":"n.md"},)"
          R"({"id":"00000000-0000-0000-0000-000000000003","date":1,"duration":0,"source":"zoom"}])");
    LogCapture log;
    auto history = open();
    ASSERT_EQ(history->records().size(), 2);
    EXPECT_EQ(history->records()[0].transcriptPath, inDir(QStringLiteral("kept.md")));
    EXPECT_EQ(history->records()[0].summaryPath, std::nullopt);
    EXPECT_EQ(history->records()[0].notesPath, std::nullopt);
    EXPECT_TRUE(log.contains(category, QStringLiteral("Transcript missing, removing record: gone.md")));
    EXPECT_TRUE(log.contains(category, QStringLiteral("Summary missing, clearing summaryPath: s.md")));
    EXPECT_TRUE(log.contains(category, QStringLiteral("Notes missing, clearing notesPath: n.md")));
    EXPECT_EQ(saves->jobCount, 1);
    EXPECT_EQ(read(historyPath),
              R"([{"id":"00000000-0000-0000-0000-000000000002","date":2,"duration":0,"source":"zoom","transcriptPath":"kept.md"},)"
              R"({"id":"00000000-0000-0000-0000-000000000003","date":1,"duration":0,"source":"zoom"}])");
}

TEST_F(MeetingHistoryManagerTest, FilesRemovedOnDiskLeaveTheHistoryThroughTheWatcher) {
    touch({"a.md", "a-notes.md", "b.md"});
    auto history = open();
    MeetingRecord a = record(2, "a.md");
    a.notesPath = inDir(QStringLiteral("a-notes.md"));
    const MeetingRecord b = record(1, "b.md");
    history->addRecord(a);
    history->addRecord(b);

    QEventLoop loop;
    int changes = 0;
    history->setOnRecordsChanged([&] {
        ++changes;
        loop.quit();
    });
    const auto waitForChange = [&] {
        QTimer::singleShot(10000, &loop, &QEventLoop::quit);
        loop.exec();
    };
    history->startWatching();
    ASSERT_TRUE(history->isWatching());

    ASSERT_TRUE(QFile::remove(inDir(QStringLiteral("a-notes.md"))));
    waitForChange();
    ASSERT_EQ(changes, 1);
    a.notesPath.reset();
    EXPECT_EQ(history->records(), (QList<MeetingRecord>{a, b}));

    ASSERT_TRUE(QFile::remove(inDir(QStringLiteral("b.md"))));
    waitForChange();
    ASSERT_EQ(changes, 2);
    EXPECT_EQ(history->records(), QList<MeetingRecord>{a});
    const QByteArray saved = read(historyPath);
    EXPECT_FALSE(saved.contains("b.md"));
    EXPECT_FALSE(saved.contains("notesPath"));
}

TEST_F(MeetingHistoryManagerTest, UndecodableHistoryIsSetAsideNeverOverwritten) {
    const QList<QByteArray> broken = {
        "{not json",
        R"({"records":[]})",
        R"([{"id":"6F9619FF-8B86-D011-B42D-00C04FC964FF","date":1,"duration":0,"source":"skype"}])",
        R"([{"id":"6F9619FF-8B86-D011-B42D-00C04FC964FF","duration":0,"source":"zoom"}])",
        R"([{"id":"not-a-uuid","date":1,"duration":0,"source":"zoom"}])",
        R"([{"id":"6F9619FF-8B86-D011-B42D-00C04FC964FF","date":"today","duration":0,"source":"zoom"}])",
        R"([{"id":"6F9619FF-8B86-D011-B42D-00C04FC964FF","date":1,"duration":0,"source":"zoom","notesPath":7}])",
        "",
    };
    for (const QByteArray& bytes : broken) {
        SCOPED_TRACE(bytes.toStdString());
        QDir(dir).removeRecursively();
        QDir().mkpath(dir);
        write(historyPath, bytes);

        LogCapture log;
        auto history = open();
        EXPECT_TRUE(history->records().isEmpty());
        const QStringList aside = QDir(dir).entryList({QStringLiteral("meetings.json.corrupt-*")});
        ASSERT_EQ(aside.size(), 1);
        EXPECT_EQ(read(inDir(aside[0])), bytes);
        EXPECT_TRUE(log.contains(category, QStringLiteral("Failed to load meeting history: ")));
        EXPECT_TRUE(log.contains(category, aside[0]));

        history->addRecord(record(1));
        EXPECT_TRUE(read(historyPath).startsWith("[{\"id\""));
        EXPECT_EQ(read(inDir(aside[0])), bytes);
    }
}

TEST_F(MeetingHistoryManagerTest, UnreadableHistoryIsSetAsideToo) {
    ASSERT_TRUE(QDir().mkpath(historyPath)); // a folder where the file should be
    write(historyPath + QStringLiteral("/inside"), "data");
    auto history = open();
    history->addRecord(record(1));
    const QStringList aside = QDir(dir).entryList({QStringLiteral("meetings.json.corrupt-*")});
    ASSERT_EQ(aside.size(), 1);
    EXPECT_EQ(read(inDir(aside[0]) + QStringLiteral("/inside")), "data");
    EXPECT_TRUE(read(historyPath).startsWith("[{"));
}

TEST_F(MeetingHistoryManagerTest, BackgroundSavesLandInRequestOrder) {
    auto history = std::make_unique<MeetingHistoryManager>(dir);
    MeetingRecord meeting = record(1);
    history->addRecord(meeting);
    for (int i = 1; i <= 20; ++i) {
        meeting.duration = i;
        history->updateRecord(meeting);
    }
    history.reset(); // waits for the queued saves

    QString error;
    const auto saved = MeetingHistoryManager::decode(read(historyPath), dir, error);
    ASSERT_TRUE(saved) << error.toStdString();
    EXPECT_EQ(*saved, QList<MeetingRecord>{meeting});
}

TEST_F(MeetingHistoryManagerTest, FailedSaveIsLoggedAndTheListKept) {
    auto history = open();
    ASSERT_TRUE(QDir(dir).removeRecursively());
    LogCapture log;
    const MeetingRecord meeting = record(1);
    history->addRecord(meeting);
    EXPECT_EQ(history->records(), QList<MeetingRecord>{meeting});
    EXPECT_TRUE(log.contains(category, QStringLiteral("Failed to save meeting history: ")));
}

// The nil UUID is as valid as any, and a date is any number a double holds: neither may make
// the whole history unreadable.
TEST_F(MeetingHistoryManagerTest, NilIdAndFarDatesAreRead) {
    const QByteArray json =
        R"([{"id":"00000000-0000-0000-0000-000000000000","date":1e300,"duration":5,"source":"zoom"},)"
        R"({"id":"6F9619FF-8B86-D011-B42D-00C04FC964FF","date":795173405.5,"duration":1,"source":"teams"},)"
        R"({"id":"1C0E7A92-51D3-4F6B-8F0E-9A8B7C6D5E4F","date":-1.5e200,"duration":2,"source":"zoom"}])";
    write(historyPath, json);
    auto history = open();
    const QList<MeetingRecord> records = history->records();
    ASSERT_EQ(records.size(), 3);
    EXPECT_TRUE(records[0].id.isNull());
    EXPECT_EQ(records[0].duration, 5);
    EXPECT_EQ(records[1].date, at(795173405, 500));
    EXPECT_EQ(records[2].duration, 2);
    EXPECT_TRUE(records[0].date.isValid() && records[2].date.isValid());
    EXPECT_GT(records[0].date.date().year(), 100000000);
    EXPECT_LT(records[2].date.date().year(), -100000000);

    history->addRecord(record(1));
    const QByteArray saved = read(historyPath);
    EXPECT_TRUE(saved.startsWith(R"([{"id":"00000000-0000-0000-0000-000000000000","date":9e+15,)")) << saved.constData();
    QString error;
    const auto reread = MeetingHistoryManager::decode(saved, dir, error);
    ASSERT_TRUE(reread) << error.toStdString();
    EXPECT_EQ(reread->size(), 4);

    for (const QByteArray& id : {QByteArray("00000000-0000-0000-0000-00000000000g"),
                                 QByteArray("0000000000000000000000000000000000000")}) {
        EXPECT_FALSE(MeetingHistoryManager::decode(
            R"([{"id":")" + id + R"(","date":1,"duration":0,"source":"zoom"}])", dir, error));
    }
}

// A fresh output folder is created at the first capture, after watching began.
TEST_F(MeetingHistoryManagerTest, WatchingBeginsOnceAFolderThatDidNotExistIsCreated) {
    const QString later = root.filePath(QStringLiteral("later/velmora"));
    MeetingHistoryManager history(later, std::make_unique<ImmediateExecutor>());
    LogCapture log;
    history.startWatching();
    EXPECT_FALSE(history.isWatching());
    EXPECT_FALSE(log.contains(category, QStringLiteral("Failed to open directory for watching")));

    QEventLoop loop;
    QTimer deadline;
    deadline.setSingleShot(true);
    QObject::connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
    const auto waitUntil = [&](const std::function<bool()>& done) {
        deadline.start(10000);
        while (!done() && deadline.isActive())
            loop.processEvents(QEventLoop::WaitForMoreEvents);
    };
    ASSERT_TRUE(QDir().mkpath(later));
    waitUntil([&] { return history.isWatching(); });
    ASSERT_TRUE(history.isWatching());
    EXPECT_TRUE(log.contains(category, QStringLiteral("Started watching directory: ") + later));

    // Now it reacts to the folder's own changes.
    const QString transcript = later + QStringLiteral("/t.md");
    write(transcript, "x");
    MeetingRecord meeting = record(1);
    meeting.transcriptPath = transcript;
    history.addRecord(meeting);
    int changes = 0;
    history.setOnRecordsChanged([&] { ++changes; });
    ASSERT_TRUE(QFile::remove(transcript));
    waitUntil([&] { return changes > 0; });
    EXPECT_EQ(changes, 1);
    EXPECT_TRUE(history.records().isEmpty());
}

TEST_F(MeetingHistoryManagerTest, HistoryIsCreatedOwnerOnlyAndKeepsAModeTheOwnerChose) {
    const mode_t previousUmask = ::umask(022);
    auto history = open();
    history->addRecord(record(1));
    ::umask(previousUmask);
    const auto userBits = QFileDevice::ReadUser | QFileDevice::WriteUser | QFileDevice::ExeUser;
    EXPECT_EQ(QFile::permissions(historyPath) & ~userBits, QFileDevice::ReadOwner | QFileDevice::WriteOwner);

    const auto shared = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup;
    ASSERT_TRUE(QFile::setPermissions(historyPath, shared));
    history->addRecord(record(2));
    EXPECT_TRUE(read(historyPath).contains("\"date\":2,"));
    EXPECT_EQ(QFile::permissions(historyPath) & ~userBits, shared);
}

} // namespace
