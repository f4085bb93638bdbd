#include "capture/MarkdownFormatter.h"
#include "capture/PlainTextFormatter.h"
#include "capture/SessionCoordinator.h"
#include "capture/TranscriptLock.h"
#include "capture/TranscriptWriter.h"
#include "fakes/AwaitTask.h"
#include "fakes/ManualClock.h"
#include "fakes/ManualScheduler.h"
#include "fakes/ScriptedCaptionReader.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <csignal>
#include <sys/stat.h>
#include <sys/resource.h>

using namespace velmora;
using namespace std::chrono_literals;

namespace {

QString readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// A disk that holds no more than `bytes` per file while this lives.
struct FileSizeLimit {
    explicit FileSizeLimit(qint64 bytes) : previous(std::signal(SIGXFSZ, SIG_IGN)) {
        getrlimit(RLIMIT_FSIZE, &original);
        rlimit limited = original;
        limited.rlim_cur = rlim_t(bytes);
        EXPECT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &original);
        std::signal(SIGXFSZ, previous);
    }
    void (*previous)(int);
    rlimit original{};
};

class TranscriptWriterTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    ManualScheduler scheduler;
    ManualClock clock{scheduler}; // 2026-03-14 09:30:00 UTC
    std::shared_ptr<TranscriptWriter> writer = makeWriter(std::nullopt);

    std::shared_ptr<TranscriptWriter> makeWriter(std::optional<QString> title,
                                                 std::shared_ptr<const TranscriptFormatter> format =
                                                     std::make_shared<MarkdownFormatter>()) {
        return std::make_shared<TranscriptWriter>(dir.path(), clock, std::move(title),
                                                  std::move(format));
    }
    CaptionEntry entry(int secondsIn, const QString& speaker, const QString& text) {
        return {clock.now().addSecs(secondsIn - scheduler.elapsed().count() / 1000), speaker, text};
    }
    QString path() { return *awaitTask(writer->transcriptPath()).value.value(); }
    QStringList files() const {
        return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    }
};

TEST_F(TranscriptWriterTest, TitlesAndFileNames) {
    EXPECT_EQ(TranscriptWriter::sanitizeTitle("Team sync: Q3 / planning!"), "Team-sync-Q3-planning");
    EXPECT_EQ(TranscriptWriter::sanitizeTitle("Google Meet"), "Google-Meet");
    EXPECT_EQ(TranscriptWriter::sanitizeTitle("?! ..."), "");
    EXPECT_EQ(TranscriptWriter::sanitizeTitle("  leading--and trailing  "), "-leading-and-trailing");
    EXPECT_EQ(TranscriptWriter::sanitizeTitle("Réunion 会议 𝐀𝐁 № 5"), "Réunion-会议-𝐀𝐁-5");
    // Accents typed as combining marks and vowel signs stay with their letters.
    EXPECT_EQ(TranscriptWriter::sanitizeTitle(QStringLiteral("Cafe\u0301 sync")), QStringLiteral("Cafe\u0301-sync"));
    EXPECT_EQ(TranscriptWriter::sanitizeTitle("हिंदी बैठक"), "हिंदी-बैठक");

    const QDateTime start(QDate(2026, 3, 14), QTime(9, 30, 5), QTimeZone::utc());
    EXPECT_EQ(TranscriptWriter::fileName(start, QString("Teams"), "md"), "2026-03-14_09-30-05_Teams.md");
    EXPECT_EQ(TranscriptWriter::fileName(start, QString("..."), "txt"), "2026-03-14_09-30-05_.txt");
    EXPECT_EQ(TranscriptWriter::fileName(start, QString(), "md"), "2026-03-14_09-30-05_transcript.md");
    EXPECT_EQ(TranscriptWriter::fileName(start, std::nullopt, "md"),
              "2026-03-14_09-30-05_transcript.md");
}

TEST_F(TranscriptWriterTest, CreatesTheHeaderAndAppendsBatchesCarryingTheSpeaker) {
    writer = makeWriter(QString("Google Meet"));
    EXPECT_FALSE(awaitTask(writer->expectedFilename()).value.value());
    EXPECT_FALSE(awaitVoid(writer->setStartTimeIfNeeded(clock.now())));
    EXPECT_EQ(awaitTask(writer->expectedFilename()).value.value(), "2026-03-14_09-30-00_Google-Meet.md");
    EXPECT_FALSE(awaitVoid(writer->createMissingFiles()));
    EXPECT_EQ(files(), QStringList({"2026-03-14_09-30-00_Google-Meet.md"}));
    EXPECT_EQ(readFile(path()), MarkdownFormatter().formatHeader(clock.now(), clock.now()));

    EXPECT_FALSE(awaitVoid(writer->append({entry(1, "A", "one"), entry(5, "B", "two")})));
    EXPECT_FALSE(awaitVoid(writer->append({})));
    EXPECT_FALSE(awaitVoid(writer->append({entry(9, "B", "three"), entry(12, "A", "four")})));
    EXPECT_TRUE(readFile(path()).endsWith("---\n\n"
                                          "**[09:30:01] A:**\n\none\n\n"
                                          "**[09:30:05] B:**\n\ntwo\n\nthree\n\n"
                                          "**[09:30:12] A:**\n\nfour\n\n"));
}

TEST_F(TranscriptWriterTest, NeverReplacesAnExistingFile) {
    for (const char* taken : {"2026-03-14_09-30-00_transcript.txt", "2026-03-14_09-30-00_transcript-2.txt"}) {
        QFile file(QDir(dir.path()).filePath(taken));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("someone else's");
    }
    writer = makeWriter(std::nullopt, std::make_shared<PlainTextFormatter>());
    EXPECT_FALSE(awaitVoid(writer->append({entry(1, "A", "hello")})));
    EXPECT_EQ(awaitTask(writer->expectedFilename()).value.value(), "2026-03-14_09-30-00_transcript-3.txt");
    EXPECT_EQ(QFileInfo(path()).fileName(), "2026-03-14_09-30-00_transcript-3.txt");
    EXPECT_EQ(readFile(path()), "Date: 2026-03-14 | Start: 09:30:00 | End: --:--:-- | Duration: "
                                "--:--:--\n\n[09:30:01] A: hello\n");
    EXPECT_EQ(readFile(QDir(dir.path()).filePath("2026-03-14_09-30-00_transcript-2.txt")), "someone else's");
    EXPECT_EQ(files().size(), 3); // no temporary file left behind
}

TEST_F(TranscriptWriterTest, FailedCreationIsRetriedAtTheNextBatch) {
    const QString missing = QDir(dir.path()).filePath("later");
    writer = std::make_shared<TranscriptWriter>(missing, clock, std::nullopt,
                                                std::make_shared<PlainTextFormatter>());
    EXPECT_TRUE(awaitVoid(writer->createMissingFiles()));
    const auto failed = awaitVoid(writer->append({entry(1, "A", "first")}));
    ASSERT_TRUE(failed);
    EXPECT_TRUE(failed->contains(missing)) << qPrintable(*failed);
    EXPECT_FALSE(awaitTask(writer->transcriptPath()).value.value());

    ASSERT_TRUE(QDir().mkpath(missing));
    EXPECT_FALSE(awaitVoid(writer->append({entry(1, "A", "first"), entry(2, "A", "second")})));
    EXPECT_EQ(readFile(path()), "Date: 2026-03-14 | Start: 09:30:00 | End: --:--:-- | Duration: "
                                "--:--:--\n\n[09:30:01] A: first\n[09:30:02] A: second\n");
}

// A disk that fills up in the middle of a batch: the part written is taken back, and the retried
// batch starts with its speaker heading again.
TEST_F(TranscriptWriterTest, FailedWriteLeavesNoPartialBatchAndKeepsTheSpeaker) {
    EXPECT_FALSE(awaitVoid(writer->append({entry(1, "B", "before")})));
    const qint64 size = QFileInfo(path()).size();

    std::optional<FileSizeLimit> full(std::in_place, size + 10);
    const auto failed = awaitVoid(writer->append({entry(5, "A", "a sentence longer than ten bytes")}));
    full.reset();
    ASSERT_TRUE(failed);
    EXPECT_EQ(QFileInfo(path()).size(), size);

    EXPECT_FALSE(awaitVoid(writer->append(
        {entry(5, "A", "a sentence longer than ten bytes"), entry(7, "B", "after")})));
    EXPECT_TRUE(readFile(path()).endsWith("---\n\n**[09:30:01] B:**\n\nbefore\n\n"
                                          "**[09:30:05] A:**\n\na sentence longer than ten bytes\n\n"
                                          "**[09:30:07] B:**\n\nafter\n\n"));
}

TEST_F(TranscriptWriterTest, FinalizeFillsEndAndDurationFromTheFirstStart) {
    EXPECT_FALSE(awaitVoid(writer->finalize())); // never started: nothing happens
    EXPECT_TRUE(files().isEmpty());

    const QDateTime first = clock.now();
    EXPECT_FALSE(awaitVoid(writer->setStartTimeIfNeeded(first)));
    EXPECT_FALSE(awaitVoid(writer->createMissingFiles()));
    scheduler.advance(600s);
    EXPECT_FALSE(awaitVoid(writer->setStartTimeIfNeeded(clock.now()))); // a resumed capture
    EXPECT_EQ(awaitTask(writer->expectedFilename()).value.value(), "2026-03-14_09-30-00_transcript.md");
    scheduler.advance(3125s);
    EXPECT_FALSE(awaitVoid(writer->finalize()));
    const QString content = readFile(path());
    EXPECT_TRUE(content.contains("**Start:** 09:30:00\n**End:** 10:32:05\n**Duration:** 01:02:05\n"))
        << qPrintable(content);
    EXPECT_FALSE(awaitVoid(writer->finalize()));
    EXPECT_EQ(readFile(path()).section('\n', 4, 5), "**End:** 10:32:05\n**Duration:** 01:02:05");
}

// Transcripts are private whatever the umask; a mode their owner chose survives finalisation.
TEST_F(TranscriptWriterTest, TranscriptsAreCreatedOwnerOnlyAndKeepAChosenMode) {
    const mode_t previousUmask = ::umask(022);
    EXPECT_FALSE(awaitVoid(writer->setStartTimeIfNeeded(clock.now())));
    EXPECT_FALSE(awaitVoid(writer->createMissingFiles()));
    ::umask(previousUmask);
    EXPECT_EQ(QFile::permissions(path()), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                              QFileDevice::ReadUser | QFileDevice::WriteUser);

    const auto shared = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup;
    ASSERT_TRUE(QFile::setPermissions(path(), shared));
    EXPECT_FALSE(awaitVoid(writer->append({entry(1, "Ana", "Hello")})));
    EXPECT_FALSE(awaitVoid(writer->finalize()));
    EXPECT_TRUE(readFile(path()).contains("**Duration:**"));
    EXPECT_EQ(QFile::permissions(path()) & ~(QFileDevice::ReadUser | QFileDevice::WriteUser), shared);
}

TEST_F(TranscriptWriterTest, ClockSetBackGivesZeroDuration) {
    writer = makeWriter(QString("Zoom"), std::make_shared<PlainTextFormatter>());
    EXPECT_FALSE(awaitVoid(writer->createMissingFiles()));
    clock.jump(-3600 * 1000);
    EXPECT_FALSE(awaitVoid(writer->finalize()));
    EXPECT_EQ(readFile(path()),
              "Date: 2026-03-14 | Start: 09:30:00 | End: 08:30:00 | Duration: 00:00:00\n");
}

QCoro::Task<> runSession(std::shared_ptr<SessionCoordinator> coordinator) {
    auto session = coordinator->start();
    co_await session;
}

// A capture that resumes within the cooldown continues the same file: the speaker who goes on
// gets no new heading, and the duration counts from the first start.
TEST_F(TranscriptWriterTest, ResumedCaptureContinuesTheFileAndItsSpeaker) {
    const auto capture = [&](const QList<std::pair<QString, QString>>& lines) {
        auto reader = std::make_shared<ScriptedCaptionReader>();
        auto coordinator = std::make_shared<SessionCoordinator>(reader, writer, clock);
        // Started first: the session reads the clock for the meeting's start at once.
        QCoro::Task<> session = runSession(coordinator);
        for (const auto& [speaker, text] : lines) {
            scheduler.advance(1s);
            reader->poll({{clock.now(), speaker, text}});
        }
        reader->end();
        QCoro::waitFor(session);
    };
    capture({{"A", "Welcome back"}, {"B", "Thanks"}, {"A", "Where were we"}});
    scheduler.advance(20s);
    capture({{"A", "Where were we? Right, the budget"}, {"C", "I have the numbers"}});
    scheduler.advance(9s);
    EXPECT_FALSE(awaitVoid(writer->finalize()));
    EXPECT_EQ(readFile(path()), "# Meeting Transcript\n\n**Date:** 2026-03-14\n**Start:** 09:30:00\n"
                                "**End:** 09:30:34\n**Duration:** 00:00:34\n\n---\n\n"
                                "**[09:30:01] A:**\n\nWelcome back\n\n"
                                "**[09:30:02] B:**\n\nThanks\n\n"
                                "**[09:30:03] A:**\n\nWhere were we\n\n"
                                "Where were we? Right, the budget\n\n"
                                "**[09:30:25] C:**\n\nI have the numbers\n\n");
}

// The coordinator offers a refused batch again at its next flush: every entry reaches the file
// exactly once although the disk filled up in the middle of the first batch.
TEST_F(TranscriptWriterTest, BatchRefusedByAFullDiskIsWrittenOnceWhenRetried) {
    writer = makeWriter(std::nullopt, std::make_shared<PlainTextFormatter>());
    EXPECT_FALSE(awaitVoid(writer->createMissingFiles()));
    auto reader = std::make_shared<ScriptedCaptionReader>();
    auto coordinator = std::make_shared<SessionCoordinator>(reader, writer, clock);
    QCoro::Task<> session = runSession(coordinator);
    const qint64 headerSize = QFileInfo(path()).size();
    QStringList expected;
    for (int line = 1; line <= 25; ++line) {
        scheduler.advance(1s);
        const QString speaker = line % 2 ? QStringLiteral("A") : QStringLiteral("B");
        const QString text = QStringLiteral("sentence number %1 of the meeting").arg(line);
        expected << QStringLiteral("[%1] %2: %3")
                        .arg(clock.now().toLocalTime().toString(u"HH:mm:ss"), speaker, text);
        std::optional<FileSizeLimit> full;
        if (line == 10) // the first flush: room for a few bytes only
            full.emplace(headerSize + 40);
        reader->poll({{clock.now(), speaker, text}});
        // The writer's queue is serial: once this job is done, the flush's batch was tried.
        QCoro::waitFor(writer->transcriptPath());
        full.reset();
        if (line == 10) {
            EXPECT_EQ(QFileInfo(path()).size(), headerSize);
        }
    }
    reader->end();
    QCoro::waitFor(session);
    EXPECT_EQ(coordinator->unsavedEntryCount(), 0);
    QStringList lines = readFile(path()).split('\n', Qt::SkipEmptyParts);
    ASSERT_FALSE(lines.isEmpty());
    lines.removeFirst(); // the header
    EXPECT_EQ(lines, expected);
}

TEST_F(TranscriptWriterTest, LiveTranscriptIsLockedUntilFinalised) {
    writer = makeWriter(QString("Teams"));
    EXPECT_FALSE(awaitVoid(writer->createMissingFiles()));
    EXPECT_FALSE(TranscriptLock::tryLock(path())) << "a live transcript must not look abandoned";
    EXPECT_FALSE(awaitVoid(writer->finalize()));
    EXPECT_TRUE(TranscriptLock::tryLock(path()));
}

TEST_F(TranscriptWriterTest, FileRemovedWithItsFolderIsPutBackWithItsContentOnceTheFolderReturns) {
    const QString folder = dir.filePath("out");
    ASSERT_TRUE(QDir().mkpath(folder));
    writer = std::make_shared<TranscriptWriter>(folder, clock, QString("Zoom"), std::make_shared<PlainTextFormatter>());
    EXPECT_FALSE(awaitVoid(writer->append({entry(1, "A", "before the folder went")})));
    const QString file = path();
    const QString before = readFile(file);

    ASSERT_TRUE(QDir(folder).removeRecursively());
    const auto refused = awaitVoid(writer->append({entry(5, "B", "while it is gone")}));
    ASSERT_TRUE(refused);
    EXPECT_TRUE(refused->contains("was removed")) << refused->toStdString();
    EXPECT_FALSE(QFileInfo::exists(folder)) << "the user's removal is respected";

    ASSERT_TRUE(QDir().mkpath(folder));
    EXPECT_FALSE(awaitVoid(writer->append({entry(5, "B", "while it is gone"), entry(9, "B", "after")})));
    EXPECT_FALSE(awaitVoid(writer->finalize()));
    const QString after = readFile(file);
    EXPECT_TRUE(after.contains("] A: before the folder went\n\n[")) << after.toStdString();
    EXPECT_TRUE(after.endsWith("] B: while it is gone\n[09:30:09] B: after\n")) << after.toStdString();
    EXPECT_EQ(after.count("before the folder went"), 1);
    EXPECT_FALSE(after.contains("--:--:--"));
    EXPECT_EQ(after.section('\n', 1), before.section('\n', 1) + "\n[09:30:05] B: while it is gone\n[09:30:09] B: after\n");
}

TEST_F(TranscriptWriterTest, SalvageKeepsTheWholeTranscriptWhenItsFolderIsGone) {
    const QString folder = dir.filePath("out");
    const QString elsewhere = dir.filePath("kept/recovered");
    ASSERT_TRUE(QDir().mkpath(folder));
    writer = std::make_shared<TranscriptWriter>(folder, clock, QString("Zoom"), std::make_shared<MarkdownFormatter>());
    EXPECT_FALSE(awaitVoid(writer->append({entry(1, "A", "on disk")})));
    ASSERT_TRUE(QDir(folder).removeRecursively());
    EXPECT_TRUE(awaitVoid(writer->finalize()));
    ASSERT_TRUE(QDir().mkpath(elsewhere));

    const auto kept = awaitTask(writer->salvage({entry(4, "A", "refused"), entry(8, "B", "also refused")},
                                                {folder, elsewhere}));
    ASSERT_TRUE(kept.value && *kept.value) << kept.error.value_or("").toStdString();
    EXPECT_EQ(**kept.value, elsewhere + "/2026-03-14_09-30-00_Zoom.recovered.md");
    const QString text = readFile(**kept.value);
    EXPECT_TRUE(text.startsWith("# Meeting Transcript\n\n**Date:** 2026-03-14\n**Start:** 09:30:00\n**End:** "));
    EXPECT_FALSE(text.contains("--:--:--"));
    EXPECT_FALSE(QFileInfo::exists(folder)) << "a removed folder is not made again";
    EXPECT_TRUE(text.endsWith("**[09:30:01] A:**\n\non disk\n\nrefused\n\n**[09:30:08] B:**\n\nalso refused\n\n"))
        << text.toStdString();
}

} // namespace
