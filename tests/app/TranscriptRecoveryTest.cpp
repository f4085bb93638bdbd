#include "app/TranscriptRecovery.h"

#include "capture/PlainTextFormatter.h"
#include "capture/TranscriptWriter.h"
#include "fakes/AwaitTask.h"
#include "fakes/ManualClock.h"
#include "fakes/ManualScheduler.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace velmora;

namespace {

const QString markdownHeader = QStringLiteral(
    "# Meeting Transcript\n\n**Date:** 2026-03-14\n**Start:** 23:50:00\n**End:** --:--:--\n"
    "**Duration:** --:--:--\n\n---\n\n");
// Crosses midnight; the second speaker quotes a placeholder and a heading.
const QString markdownBody = QStringLiteral(
    "**[23:50:04] Ana:**\n\nGood evening\n\n**[23:59:58] Bo:**\n\nEnd: --:--:-- is not mine\n\n"
    "**[00:10:30] Ana:**\n\nLast words\n\nand a continuation\n\n");

class TranscriptRecoveryTest : public ::testing::Test {
protected:
    QTemporaryDir dir;

    QString write(const QString& name, const QString& content) {
        const QString path = dir.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content.toUtf8());
        return path;
    }
    static QString read(const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }
    static QDateTime at(int day, int hour, int minute, int second) {
        return QDateTime(QDate(2026, 3, day), QTime(hour, minute, second));
    }
};

TEST_F(TranscriptRecoveryTest, OrphanWithUtterancesEndsAtItsLastUtteranceAndKeepsThemByteForByte) {
    const QString path = write("2026-03-14_23-50-00_Google-Meet.md", markdownHeader + markdownBody);
    const auto recovered = TranscriptRecovery::recoverFolder(dir.path());
    ASSERT_EQ(recovered.size(), 1);
    EXPECT_EQ(recovered[0].path, path);
    EXPECT_EQ(recovered[0].start, at(14, 23, 50, 0));
    EXPECT_EQ(recovered[0].end, at(15, 0, 10, 30)) << "past midnight is the next day";
    EXPECT_DOUBLE_EQ(recovered[0].duration, 20 * 60 + 30);
    EXPECT_EQ(recovered[0].source, CaptionSource::browserMeet);
    EXPECT_EQ(read(path), markdownHeader.chopped(markdownHeader.size() - markdownHeader.indexOf("**End:**")) +
                              "**End:** 00:10:30\n**Duration:** 00:20:30\n\n---\n\n" + markdownBody);
    // Finished now: a second start finds nothing to do.
    EXPECT_TRUE(TranscriptRecovery::recoverFolder(dir.path()).isEmpty());
}

TEST_F(TranscriptRecoveryTest, OrphanWithoutUtterancesEndsAtItsModificationTime) {
    const QString path = write("2026-03-14_09-30-00_transcript.txt",
                               "Date: 2026-03-14 | Start: 09:30:00 | End: --:--:-- | Duration: --:--:--\n");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.setFileTime(at(14, 9, 42, 7), QFileDevice::FileModificationTime));
    file.close();
    const auto recovered = TranscriptRecovery::recoverFolder(dir.path());
    ASSERT_EQ(recovered.size(), 1);
    EXPECT_EQ(recovered[0].end, at(14, 9, 42, 7));
    EXPECT_FALSE(recovered[0].source) << "no source has the title 'transcript'";
    EXPECT_EQ(read(path), "Date: 2026-03-14 | Start: 09:30:00 | End: 09:42:07 | Duration: 00:12:07\n");
}

TEST_F(TranscriptRecoveryTest, PlainTextOrphanEndsAtItsLastLine) {
    const QString body = "\n[09:30:02] A: one\n[09:31:15] A: two\n\n[09:33:40] B: [09:59:59] quoted\n";
    const QString path = write("2026-03-14_09-30-00_Teams-2.txt",
                               "Date: 2026-03-14 | Start: 09:30:00 | End: --:--:-- | Duration: --:--:--\n" + body);
    const auto recovered = TranscriptRecovery::recoverFolder(dir.path());
    ASSERT_EQ(recovered.size(), 1);
    EXPECT_EQ(recovered[0].source, CaptionSource::browserTeams);
    EXPECT_EQ(read(path), "Date: 2026-03-14 | Start: 09:30:00 | End: 09:33:40 | Duration: 00:03:40\n" + body);
}

TEST_F(TranscriptRecoveryTest, LiveTranscriptIsLeftAloneUntilItsWriterIsGone) {
    ManualScheduler scheduler;
    ManualClock clock{scheduler};
    auto writer = std::make_shared<TranscriptWriter>(dir.path(), clock, QString("Zoom"),
                                                     std::make_shared<PlainTextFormatter>());
    ASSERT_FALSE(awaitVoid(writer->append({{clock.now(), "A", "still talking"}})));
    const QString path = *awaitTask(writer->transcriptPath()).value.value();
    const QString live = read(path);
    // Another process starting on the same folder sees the lock.
    EXPECT_TRUE(TranscriptRecovery::recoverFolder(dir.path()).isEmpty());
    EXPECT_EQ(read(path), live);
    // The capture's process ends without finalising: the lock goes with it.
    writer.reset();
    const auto recovered = TranscriptRecovery::recoverFolder(dir.path());
    ASSERT_EQ(recovered.size(), 1);
    EXPECT_EQ(recovered[0].source, CaptionSource::zoom);
    EXPECT_FALSE(read(path).contains("--:--:--"));
}

TEST_F(TranscriptRecoveryTest, UnreadableAndFinishedFilesAreLeftAsTheyAre) {
    const QStringList contents{
        // Unfinished, but the start cannot be read.
        "# Meeting Transcript\n\n**Date:** someday\n**Start:** 09:30:00\n**End:** --:--:--\n**Duration:** --:--:--\n\n---\n\n",
        "Date: 2026-13-40 | Start: 09:30:00 | End: --:--:-- | Duration: --:--:--\n[09:31:00] A: x\n",
        // Finished, although a caption quotes a placeholder.
        "Date: 2026-03-14 | Start: 09:30:00 | End: 09:40:00 | Duration: 00:10:00\n[09:31:00] A: End: --:--:--\n",
        // Notes and other Markdown.
        "# My notes\n\n**End:** --:--:--\n",
        QString(),
    };
    QStringList paths;
    for (qsizetype i = 0; i < contents.size(); ++i)
        paths << write(QStringLiteral("file-%1.%2").arg(i).arg(i % 2 ? "txt" : "md"), contents[i]);
    EXPECT_TRUE(TranscriptRecovery::recoverFolder(dir.path()).isEmpty());
    for (qsizetype i = 0; i < contents.size(); ++i)
        EXPECT_EQ(read(paths[i]), contents[i]) << i;
    EXPECT_TRUE(TranscriptRecovery::recoverFolder(dir.filePath("missing")).isEmpty());
}

} // namespace
