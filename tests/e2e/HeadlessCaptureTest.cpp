#include "ChromiumTest.h"

#include "fakes/QtPrinters.h"
#include "harness/HeadlessVelmora.h"
#include "library/MeetingHistoryManager.h"
#include "platform/FakeNotificationServer.h"

#include <QDBusConnectionInterface>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

using namespace velmora;
using namespace velmora::e2e;

namespace {

constexpr int stepTimeoutMs = 20000;
const QString pollLogLine = QStringLiteral("velmora.session: Poll ");
const QRegularExpression capturingMeet(QStringLiteral("^capturing Google Meet$"));
const QRegularExpression savedMeet(QStringLiteral("^saved browserMeet (.+) ([0-9.]+)s$"));

// The utterances of a Markdown transcript as "speaker: text", continuation paragraphs included.
QStringList utterances(const QString& transcript) {
    const qsizetype body = transcript.indexOf(QStringLiteral("\n---\n\n"));
    if (body < 0)
        return {QStringLiteral("<no header>")};
    static const QRegularExpression heading(QStringLiteral("^\\*\\*\\[\\d\\d:\\d\\d:\\d\\d\\] (.+):\\*\\*$"));
    QStringList result;
    QString speaker;
    for (const QString& paragraph : transcript.mid(body + 6).split(QStringLiteral("\n\n"), Qt::SkipEmptyParts)) {
        if (const auto match = heading.match(paragraph); match.hasMatch())
            speaker = match.captured(1);
        else
            result.append(speaker + QStringLiteral(": ") + paragraph.trimmed());
    }
    return result;
}

QString readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// The whole application against a real browser: Chromium shows a meeting page whose caption
// area the test scripts, and `velmora --headless` finds it, captures, pauses, resumes and
// saves on its own, as a user would run it.
class HeadlessCaptureTest : public ::testing::Test {
protected:
    BrowserSession& browser = session();
    QTemporaryDir output;
    QTemporaryDir config;
    FakeNotificationServer notifications{QDBusConnection::sessionBus()};
    std::unique_ptr<HeadlessVelmora> velmora;

    void SetUp() override {
        ASSERT_TRUE(output.isValid() && config.isValid());
        ASSERT_TRUE(notifications.serve()) << "the private bus has a notification server already";
        browser.open(QStringLiteral("meet.html"));
        browser.run(QStringLiteral("filler(document.body, 300, 'Side')"));
        QProcessEnvironment environment = browser.desktop().environment();
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), config.path());
        environment.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("velmora.*.info=true"));
        // Any accessibility call the main thread waits for ends the run with a message.
        environment.insert(QStringLiteral("VELMORA_STRICT_ACCESSIBILITY_THREAD"), QStringLiteral("1"));
        velmora = std::make_unique<HeadlessVelmora>(
            QStringLiteral(VELMORA_EXECUTABLE),
            QStringList{QStringLiteral("--headless"), QStringLiteral("--output-dir"), output.path()},
            environment);
    }
    void TearDown() override {
        if (HasFailure() && velmora)
            std::cerr << "velmora printed:\n" << velmora->lines().join('\n').toStdString()
                      << "\nvelmora logged (last part):\n" << velmora->log().right(6000).toStdString() << '\n';
        velmora.reset();
        QDBusConnection::sessionBus().unregisterService(QStringLiteral("org.freedesktop.Notifications"));
        QDBusConnection::sessionBus().unregisterObject(QStringLiteral("/org/freedesktop/Notifications"));
    }

    // Changes the page, then waits until velmora has read the page as changed: two more of its
    // polls, the second of which began after the change showed over AT-SPI.
    void say(const QString& script) {
        browser.run(script);
        const qsizetype polls = velmora->logCount(pollLogLine);
        ASSERT_TRUE(velmora->waitForLogCount(pollLogLine, polls + 2, stepTimeoutMs)) << "velmora stopped polling";
    }
    // The next status line from `from` on that matches.
    QString expectLine(const QRegularExpression& pattern, qsizetype from, int timeoutMs) {
        const auto line = velmora->waitForLine(pattern, timeoutMs, from);
        EXPECT_TRUE(line) << "no status line matching " << pattern.pattern().toStdString();
        return line.value_or(QString());
    }
    std::optional<QList<MeetingRecord>> records() {
        QString error;
        return MeetingHistoryManager::loadRecords(QDir(output.path()).filePath(QStringLiteral("meetings.json")),
                                                  output.path(), error);
    }
    // The record of `transcript` once its duration is stored (saves land a moment after the line).
    std::optional<MeetingRecord> finalizedRecord(const QString& transcript) {
        std::optional<MeetingRecord> found;
        BrowserSession::waitUntil([&] {
            for (const MeetingRecord& record : records().value_or(QList<MeetingRecord>{}))
                if (record.transcriptPath == transcript && record.duration > 0)
                    found = record;
            return found.has_value();
        }, 5000);
        return found;
    }
    void expectFinalized(const QString& transcriptPath) {
        const QString text = readFile(transcriptPath);
        EXPECT_TRUE(text.startsWith(QStringLiteral("# Meeting Transcript\n"))) << text.left(200).toStdString();
        EXPECT_TRUE(QRegularExpression(QStringLiteral("\\*\\*End:\\*\\* \\d\\d:\\d\\d:\\d\\d\n")).match(text).hasMatch());
        EXPECT_TRUE(QRegularExpression(QStringLiteral("\\*\\*Duration:\\*\\* \\d\\d:\\d\\d:\\d\\d\n")).match(text).hasMatch());
        EXPECT_FALSE(text.contains(QStringLiteral("--:--:--")));
        const auto record = finalizedRecord(transcriptPath);
        ASSERT_TRUE(record) << "no record with a duration for " << transcriptPath.toStdString();
        EXPECT_EQ(record->source, CaptionSource::browserMeet);
    }
};

TEST_F(HeadlessCaptureTest, CapturesPausesResumesSavesAndFinalisesOnTerminate) {
    QElapsedTimer elapsed;
    elapsed.start();
    expectLine(QRegularExpression(QStringLiteral("^monitoring$")), 0, stepTimeoutMs);

    // A meeting: blocks appear and grow, an earlier block is corrected after the next speaker
    // began, blocks scroll away at the top.
    const qsizetype beforeCapture = velmora->lines().size();
    browser.run(QStringLiteral("meet.show(); meet.say('Ana Lima', 'Good morning')"));
    expectLine(capturingMeet, beforeCapture, stepTimeoutMs);
    say(QStringLiteral("meet.grow(0, ' everyone, shall we')"));
    say(QStringLiteral("meet.revise(0, 'Good morning, everyone. Shall we start?'); meet.say('Bo Chen', 'Yes')"));
    say(QStringLiteral("meet.grow(1, ' the budget first')"));
    say(QStringLiteral("meet.say('Ana Lima', 'The budget is on track')"));
    say(QStringLiteral("meet.scroll(1); meet.grow(1, ' for this quarter')"));
    say(QStringLiteral("meet.revise(0, 'Yes, the budget first.'); meet.say('Cy Park', 'I have a question about hiring')"));
    say(QStringLiteral("meet.scroll(2); meet.grow(0, ' for the new team')"));

    // The captions out of sight for about ten seconds (another tab in front): the capture ends;
    // when the same blocks come back the same file goes on, without writing them again.
    const qsizetype beforePause = velmora->lines().size();
    QElapsedTimer hidden;
    hidden.start();
    browser.run(QStringLiteral("meet.hide()"));
    expectLine(QRegularExpression(QStringLiteral("^stopped$")), beforePause, stepTimeoutMs);
    expectLine(QRegularExpression(QStringLiteral("^monitoring$")), beforePause, stepTimeoutMs);
    BrowserSession::waitUntil([&] { return false; }, int(std::max<qint64>(0, 10000 - hidden.elapsed())));
    const qsizetype beforeResume = velmora->lines().size();
    browser.run(QStringLiteral("meet.restore(); meet.say('Bo Chen', 'Back to hiring')"));
    expectLine(capturingMeet, beforeResume, stepTimeoutMs);
    EXPECT_EQ(velmora->logCount(QStringLiteral("Resuming browserMeet session with existing writer")), 1);
    say(QStringLiteral("meet.grow(1, ': we need two engineers')"));
    say(QStringLiteral("meet.say('Dee Ray', 'Agreed')"));

    // Captions off for longer than the cooldown: the transcript is saved and announced.
    const qsizetype beforeSave = velmora->lines().size();
    browser.run(QStringLiteral("meet.hide()"));
    const auto firstSaved = savedMeet.match(expectLine(savedMeet, beforeSave, 60000));
    ASSERT_TRUE(firstSaved.hasMatch());
    const QString first = firstSaved.captured(1);
    // The record is finalised first; the announcement follows without anyone waiting for it.
    BrowserSession::waitUntil([&] { return !notifications.notifications.isEmpty(); }, 10000);
    ASSERT_EQ(notifications.notifications.size(), 1);
    EXPECT_EQ(notifications.notifications[0].summary, "Transcript Saved");
    EXPECT_EQ(notifications.notifications[0].body, first);
    EXPECT_EQ(utterances(readFile(first)),
              (QStringList{"Ana Lima: Good morning, everyone. Shall we start?", "Bo Chen: Yes, the budget first.",
                           "Ana Lima: The budget is on track for this quarter",
                           "Cy Park: I have a question about hiring for the new team",
                           "Bo Chen: Back to hiring: we need two engineers", "Dee Ray: Agreed"}));
    expectFinalized(first);
    EXPECT_GE(firstSaved.captured(2).toDouble(), 20.0) << "the duration counts from the first start";

    // Captions again: a new meeting in a new file, cut short by SIGTERM.
    const qsizetype beforeSecond = velmora->lines().size();
    browser.run(QStringLiteral("meet.show(); meet.say('Ana Lima', 'One more thing')"));
    expectLine(capturingMeet, beforeSecond, stepTimeoutMs);
    say(QStringLiteral("meet.grow(0, ' before we close')"));
    say(QStringLiteral("meet.say('Cy Park', 'Go ahead')"));
    const qsizetype beforeTerminate = velmora->lines().size();
    EXPECT_EQ(velmora->terminate(20000), std::optional(0));
    const auto secondSaved = savedMeet.match(expectLine(savedMeet, beforeTerminate, 1000));
    ASSERT_TRUE(secondSaved.hasMatch());
    const QString second = secondSaved.captured(1);
    EXPECT_NE(second, first);
    EXPECT_EQ(utterances(readFile(second)),
              (QStringList{"Ana Lima: One more thing before we close", "Cy Park: Go ahead"}));
    expectFinalized(second);
    EXPECT_EQ(notifications.notifications.size(), 1) << "no announcement when the application ends";

    EXPECT_EQ(QDir(output.path()).entryList({QStringLiteral("*.md")}, QDir::Files).size(), 2);
    EXPECT_EQ(records().value_or(QList<MeetingRecord>{}).size(), 2);
    std::cerr << "[ timing ] headless scenario took " << elapsed.elapsed() / 1000.0 << " s\n";
}

} // namespace
