#include "HeadlessTest.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace velmora;
using namespace velmora::e2e;

namespace {

const QRegularExpression monitoringLine(QStringLiteral("^monitoring$"));

// What a capture survives: being killed, losing its browser, a folder that stops taking files.
class CaptureFaultsTest : public HeadlessTest {
protected:
    // The transcript files in the output folder.
    QStringList transcripts() const {
        QStringList paths;
        for (const QString& name : QDir(output.path()).entryList({QStringLiteral("*.md")}, QDir::Files))
            paths << QDir(output.path()).filePath(name);
        return paths;
    }
    qsizetype polls() const { return velmora->logCount(pollLogLine); }
    void waitForPolls(qsizetype count) {
        ASSERT_TRUE(velmora->waitForLogCount(pollLogLine, count, 40000)) << "velmora stopped polling";
    }
    void startMeeting(const QString& script) {
        expectLine(monitoringLine, 0, stepTimeoutMs);
        const qsizetype before = velmora->lines().size();
        browser.run(script);
        expectLine(capturingMeet, before, stepTimeoutMs);
    }
};

TEST_F(CaptureFaultsTest, AKilledCaptureIsFinishedAtTheNextStartWithEverythingButItsLastPolls) {
    startMeeting(QStringLiteral("meet.show(); meet.say('Ana Lima', 'First point')"));
    say(QStringLiteral("meet.say('Bo Chen', 'Second point')"));
    say(QStringLiteral("meet.say('Cy Park', 'Third point')"));
    // Both earlier turns are complete now; the third goes on for more than ten polls.
    const qsizetype completed = polls();
    for (int word = 0; polls() <= completed + 11; ++word)
        say(QStringLiteral("meet.grow(2, ' and more')"));
    ASSERT_EQ(transcripts().size(), 1);
    const QString transcript = transcripts().first();

    ASSERT_EQ(::kill(pid_t(velmora->pid()), SIGKILL), 0);
    ASSERT_TRUE(BrowserSession::waitUntil([&] { return !velmora->isRunning(); }, 5000));
    EXPECT_TRUE(readFile(transcript).contains(QStringLiteral("**End:** --:--:--"))) << "the kill left it unfinished";
    browser.run(QStringLiteral("meet.hide()"));
    velmora.reset();

    launch();
    expectLine(monitoringLine, 0, stepTimeoutMs);
    BrowserSession::waitUntil([&] { return !notifications.notifications.isEmpty(); }, 10000);
    ASSERT_EQ(notifications.notifications.size(), 1);
    EXPECT_EQ(notifications.notifications[0].summary, "Transcript Recovered");
    EXPECT_EQ(notifications.notifications[0].body, transcript);
    expectFinalized(transcript);
    const QStringList written = utterances(readFile(transcript));
    ASSERT_GE(written.size(), 2) << written.join('\n').toStdString();
    EXPECT_EQ(written.first(2), (QStringList{"Ana Lima: First point", "Bo Chen: Second point"}));
}

TEST_F(CaptureFaultsTest, ABrowserKilledMidCaptureEndsTheMeetingWithEverythingItShowed) {
    startMeeting(QStringLiteral("meet.show(); meet.say('Ana Lima', 'Before the crash')"));
    say(QStringLiteral("meet.say('Bo Chen', 'Me too')"));
    say(QStringLiteral("meet.grow(1, ' and then some')"));
    const qsizetype before = velmora->lines().size();
    browser.browser().kill();
    const auto saved = savedMeet.match(expectLine(savedMeet, before, 90000));
    const bool alive = velmora->isRunning();
    browser.restartBrowser(); // for the tests that follow
    ASSERT_TRUE(saved.hasMatch());
    EXPECT_TRUE(alive);
    EXPECT_EQ(utterances(readFile(saved.captured(1))),
              (QStringList{"Ana Lima: Before the crash", "Bo Chen: Me too and then some"}));
    expectFinalized(saved.captured(1));
    EXPECT_TRUE(velmora->waitForLine(monitoringLine, stepTimeoutMs, before));
}

TEST_F(CaptureFaultsTest, AFolderThatTurnsReadOnlyMidCaptureLosesNothingOnceWritableAgain) {
    // Root ignores file modes: the application then runs without that privilege.
    if (::geteuid() == 0) {
        velmora.reset();
        launch({QStringLiteral("setpriv"), QStringLiteral("--inh-caps=-dac_override,-dac_read_search,-fowner"),
                QStringLiteral("--bounding-set=-dac_override,-dac_read_search,-fowner")});
    }
    startMeeting(QStringLiteral("meet.show(); meet.say('Ana Lima', 'Writable still')"));
    say(QStringLiteral("meet.say('Bo Chen', 'Now it is locked')"));
    ASSERT_EQ(transcripts().size(), 1);
    const QString transcript = transcripts().first();
    const QByteArray folder = QFile::encodeName(output.path());
    ASSERT_EQ(::chmod(QFile::encodeName(transcript).constData(), 0400), 0);
    ASSERT_EQ(::chmod(folder.constData(), 0500), 0);
    say(QStringLiteral("meet.grow(1, ' and read-only')"));
    say(QStringLiteral("meet.say('Cy Park', 'Said while locked')"));

    // The captions end while the folder refuses files: the transcript cannot be finished.
    const qsizetype beforeEnd = velmora->lines().size();
    browser.run(QStringLiteral("meet.hide()"));
    const auto error = velmora->waitForLine(QRegularExpression(QStringLiteral("^error: Cannot finish the transcript")),
                                            60000, beforeEnd);
    EXPECT_TRUE(error);
    EXPECT_TRUE(velmora->isRunning());
    EXPECT_TRUE(readFile(transcript).contains(QStringLiteral("**End:** --:--:--")));

    const qsizetype beforeWritable = velmora->lines().size();
    ::chmod(folder.constData(), 0700);
    ::chmod(QFile::encodeName(transcript).constData(), 0600);
    const auto saved = savedMeet.match(expectLine(savedMeet, beforeWritable, 20000));
    ASSERT_TRUE(saved.hasMatch());
    EXPECT_EQ(saved.captured(1), transcript);
    EXPECT_EQ(utterances(readFile(transcript)),
              (QStringList{"Ana Lima: Writable still", "Bo Chen: Now it is locked and read-only",
                           "Cy Park: Said while locked"}));
    expectFinalized(transcript);
    EXPECT_TRUE(velmora->waitForLine(monitoringLine, 10000, beforeWritable));
}

// The output folder on a small file system of its own that the test fills up and frees again.
class FullDisk {
  public:
    explicit FullDisk(const QString& folder) : folder_(QFile::encodeName(folder)) {
        mounted_ = ::mount("tmpfs", folder_.constData(), "tmpfs", 0, "size=1m,mode=0700") == 0;
    }
    ~FullDisk() {
        if (mounted_)
            ::umount2(folder_.constData(), MNT_DETACH);
    }
    bool mounted() const { return mounted_; }
    // Writes a filler file until the file system has no byte left.
    bool fill() {
        QFile filler(fillerPath());
        if (!filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
            return false;
        const QByteArray block(4096, 'x');
        while (filler.write(block) == block.size()) {
        }
        while (filler.write("x", 1) == 1) {
        }
        return true;
    }
    bool free() { return QFile::remove(fillerPath()); }

  private:
    QString fillerPath() const { return QFile::decodeName(folder_) + QStringLiteral("/filler"); }
    QByteArray folder_;
    bool mounted_ = false;
};

TEST_F(CaptureFaultsTest, ADiskThatFillsUpMidCaptureLosesNothingOnceThereIsRoomAgain) {
    velmora.reset();
    FullDisk disk(output.path());
    if (!disk.mounted())
        GTEST_SKIP() << "mounting a small file system needs CAP_SYS_ADMIN: "
                     << std::strerror(errno);
    launch();
    startMeeting(QStringLiteral("meet.show(); meet.say('Ana Lima', 'Room to write')"));
    say(QStringLiteral("meet.say('Bo Chen', 'The disk fills up')"));
    ASSERT_EQ(transcripts().size(), 1);
    const QString transcript = transcripts().first();
    ASSERT_TRUE(disk.fill());
    const qsizetype beforeFull = velmora->lines().size();
    // Longer than the room left in the transcript's last block, so that appending needs a new one.
    const QString longTurn =
        QStringLiteral("Said on a full disk") + QStringLiteral(" and said again").repeated(300);
    say(QStringLiteral("meet.grow(1, ' right now')"));
    say(QStringLiteral("meet.say('Cy Park', '%1')").arg(longTurn));

    const qsizetype beforeEnd = velmora->lines().size();
    browser.run(QStringLiteral("meet.hide()"));
    EXPECT_TRUE(velmora->waitForLine(
        QRegularExpression(
            QStringLiteral("^error: Cannot write the transcript: .*: No space left on device")),
        60000, beforeFull));
    EXPECT_TRUE(velmora->waitForLine(
        QRegularExpression(QStringLiteral("^error: Cannot finish the transcript")), 60000,
        beforeEnd));
    EXPECT_TRUE(velmora->isRunning());
    EXPECT_TRUE(readFile(transcript).contains(QStringLiteral("**End:** --:--:--")));

    const qsizetype beforeRoom = velmora->lines().size();
    ASSERT_TRUE(disk.free());
    const auto saved = savedMeet.match(expectLine(savedMeet, beforeRoom, 20000));
    ASSERT_TRUE(saved.hasMatch());
    EXPECT_EQ(saved.captured(1), transcript);
    EXPECT_EQ(utterances(readFile(transcript)),
              (QStringList{"Ana Lima: Room to write", "Bo Chen: The disk fills up right now",
                           "Cy Park: " + longTurn}));
    expectFinalized(transcript);
    EXPECT_TRUE(velmora->waitForLine(monitoringLine, 10000, beforeRoom));
    velmora.reset(); // before the file system goes
}

} // namespace
