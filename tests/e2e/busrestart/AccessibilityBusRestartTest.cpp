// A program of its own: killing the accessibility bus leaves every AT-SPI client of the desktop
// on a dead connection, so this test must not share a desktop with the other real-browser tests.
// The test itself never reads AT-SPI: it drives the pages through their server and checks what
// velmora prints and writes.

#include "fakes/QtPrinters.h"
#include "harness/BrowserSession.h"
#include "harness/ChromiumBrowser.h"
#include "harness/HeadlessVelmora.h"
#include "harness/PrivateDesktop.h"
#include "harness/StatusNotifierWatcher.h"
#include "harness/TestPageServer.h"
#include "harness/TranscriptText.h"
#include "library/MeetingHistoryManager.h"
#include "platform/FakeNotificationServer.h"
#include "platform/linux/A11yStatus.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSettings>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <iostream>

using namespace velmora;
using namespace velmora::e2e;

namespace {

const QRegularExpression monitoringLine(QStringLiteral("^monitoring$"));
const QRegularExpression capturingMeet(QStringLiteral("^capturing Google Meet$"));
const QRegularExpression savedMeet(QStringLiteral("^saved browserMeet (.+) ([0-9.]+)s$"));
const QString restartLog = QStringLiteral("Accessibility bus lost; restarting to reconnect");

double seconds(const QElapsedTimer& timer) { return double(timer.elapsed()) / 1000.0; }

// The private desktop and page server, started once: Qt keeps its connection to the first
// session bus for the life of the process. Each test kills the accessibility bus and starts a
// new one, so the next test finds one running.
struct SharedDesktop {
    PrivateDesktop desktop; // first: points this process at the private session bus
    TestPageServer server{QStringLiteral(VELMORA_E2E_PAGES)};
};

std::unique_ptr<SharedDesktop> shared;

class SharedDesktopEnvironment : public ::testing::Environment {
public:
    void TearDown() override { shared.reset(); }
};

const auto* registered = ::testing::AddGlobalTestEnvironment(new SharedDesktopEnvironment);

SharedDesktop& sharedDesktop() {
    if (!shared)
        shared = std::make_unique<SharedDesktop>();
    return *shared;
}

class AccessibilityBusRestartTest : public ::testing::Test {
protected:
    PrivateDesktop& desktop = sharedDesktop().desktop;
    TestPageServer& server = sharedDesktop().server;
    FakeNotificationServer notifications{QDBusConnection::sessionBus()};
    QTemporaryDir output;
    QTemporaryDir config;
    std::unique_ptr<ChromiumBrowser> browser;
    std::unique_ptr<HeadlessVelmora> velmora;

    void SetUp() override {
        ASSERT_TRUE(output.isValid() && config.isValid());
        ASSERT_TRUE(notifications.serve());
        ASSERT_TRUE(A11yStatus::setEnabled(true));
    }
    void TearDown() override {
        if (HasFailure() && velmora)
            std::cerr << "velmora printed:\n" << velmora->lines().join('\n').toStdString()
                      << "\nvelmora logged (last part):\n" << velmora->log().right(8000).toStdString() << '\n';
        velmora.reset();
        browser.reset();
        QDBusConnection::sessionBus().unregisterService(QStringLiteral("org.freedesktop.Notifications"));
        QDBusConnection::sessionBus().unregisterObject(QStringLiteral("/org/freedesktop/Notifications"));
    }

    // A browser on the current accessibility bus showing the meeting page, its driver running.
    void openMeeting() {
        browser = std::make_unique<ChromiumBrowser>(desktop, server.url(QStringLiteral("meet.html")));
        run(QStringLiteral(";"), 45000);
    }
    void run(const QString& script, int timeoutMs = 15000) {
        const int seq = server.post(script);
        ASSERT_TRUE(BrowserSession::waitUntil([&] { return server.lastDone() >= seq; }, timeoutMs))
            << "the page did not run: " << script.toStdString();
    }
    void launch() {
        QProcessEnvironment environment = desktop.environment();
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), config.path());
        environment.insert(QStringLiteral("XDG_DATA_HOME"), config.filePath(QStringLiteral("data")));
        environment.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("velmora.*.info=true"));
        environment.insert(QStringLiteral("VELMORA_STRICT_ACCESSIBILITY_THREAD"), QStringLiteral("1"));
        velmora = std::make_unique<HeadlessVelmora>(
            QStringLiteral(VELMORA_EXECUTABLE),
            QStringList{QStringLiteral("--headless"), QStringLiteral("--output-dir"), output.path()}, environment);
    }
    // The index of the first status line from `from` on that matches, or -1.
    qsizetype expectLine(const QRegularExpression& pattern, qsizetype from, int timeoutMs) {
        const auto line = velmora->waitForLine(pattern, timeoutMs, from);
        EXPECT_TRUE(line) << "no status line matching " << pattern.pattern().toStdString();
        return line ? velmora->lines().indexOf(*line, from) : -1;
    }
    // How many X windows of the private desktop carry `title` (Qt makes the main window only
    // when it is first shown, and a process that execs drops its windows).
    int windowsTitled(const QString& title) {
        QProcess xwininfo;
        xwininfo.setProcessEnvironment(desktop.environment());
        xwininfo.start(QStringLiteral("xwininfo"), {QStringLiteral("-root"), QStringLiteral("-tree")});
        xwininfo.waitForFinished(5000);
        return int(QString::fromUtf8(xwininfo.readAllStandardOutput()).count(QStringLiteral("\"%1\": (").arg(title)));
    }
    std::optional<MeetingRecord> record(const QString& transcript) {
        QString error;
        const auto records = MeetingHistoryManager::loadRecords(
            QDir(output.path()).filePath(QStringLiteral("meetings.json")), output.path(), error);
        for (const MeetingRecord& record : records.value_or(QList<MeetingRecord>{}))
            if (record.transcriptPath == transcript)
                return record;
        return std::nullopt;
    }
    void expectFinalized(const QString& transcript) {
        const QString text = readFile(transcript);
        EXPECT_TRUE(QRegularExpression(QStringLiteral("\\*\\*Duration:\\*\\* \\d\\d:\\d\\d:\\d\\d\n")).match(text).hasMatch())
            << text.left(300).toStdString();
        EXPECT_FALSE(text.contains(QStringLiteral("--:--:--")));
        std::optional<MeetingRecord> stored;
        BrowserSession::waitUntil([&] { return (stored = record(transcript)) && stored->duration > 0; }, 5000);
        ASSERT_TRUE(stored) << "no record for " << transcript.toStdString();
        EXPECT_GT(stored->duration, 0);
    }
};

TEST_F(AccessibilityBusRestartTest, AfterTheBusDiesTheMeetingIsSavedAndTheSameProcessCapturesOnTheNextBus) {
    openMeeting();
    launch();
    expectLine(monitoringLine, 0, 20000);
    run(QStringLiteral("meet.show(); meet.say('Ana Lima', 'Before the bus died')"));
    expectLine(capturingMeet, 0, 20000);
    run(QStringLiteral("meet.say('Bo Chen', 'Last words')"));
    ASSERT_TRUE(velmora->waitForLogCount(QStringLiteral("captured 2 entries"), 1, 20000));
    const qint64 pid = velmora->pid();

    qsizetype from = velmora->lines().size();
    QElapsedTimer sinceKill;
    sinceKill.start();
    desktop.killAccessibilityBus();
    // The session brings a new bus up; the old browser stays on the dead one.
    desktop.startAccessibilityBus();
    ASSERT_TRUE(A11yStatus::setEnabled(true));

    const qsizetype saved = expectLine(savedMeet, from, 120000);
    ASSERT_GE(saved, 0);
    const double killToSaved = seconds(sinceKill);
    const QString first = savedMeet.match(velmora->lines()[saved]).captured(1);
    EXPECT_EQ(utterances(readFile(first)), (QStringList{"Ana Lima: Before the bus died", "Bo Chen: Last words"}));
    expectFinalized(first);
    ASSERT_TRUE(BrowserSession::waitUntil([&] { return !notifications.notifications.isEmpty(); }, 5000));
    EXPECT_EQ(notifications.notifications[0].summary, "Transcript Saved");

    // Restarted in place: the same process, monitoring again on the new bus.
    ASSERT_TRUE(velmora->waitForLogCount(restartLog, 1, 60000)) << "no restart";
    const double killToRestart = seconds(sinceKill);
    const qsizetype monitoring = expectLine(monitoringLine, saved + 1, 30000);
    ASSERT_GE(monitoring, 0);
    const double killToMonitoring = seconds(sinceKill);
    EXPECT_TRUE(velmora->isRunning());
    EXPECT_EQ(velmora->pid(), pid);

    // A browser started on the new bus, with the next meeting.
    browser.reset();
    QElapsedTimer sinceBrowser;
    sinceBrowser.start();
    openMeeting();
    from = velmora->lines().size();
    run(QStringLiteral("meet.show(); meet.say('Cy Park', 'On the new bus')"));
    ASSERT_GE(expectLine(capturingMeet, from, 40000), 0);
    const double browserToCapturing = seconds(sinceBrowser);
    // The log goes on across the restart: the first meeting's polls are in it too.
    const QString onePoll = QStringLiteral("captured 1 entries");
    ASSERT_TRUE(velmora->waitForLogCount(onePoll, velmora->logCount(onePoll) + 1, 20000));
    from = velmora->lines().size();
    EXPECT_EQ(velmora->terminate(60000), std::optional<int>(0));
    const qsizetype second = expectLine(savedMeet, from, 1000);
    ASSERT_GE(second, 0);
    const QString next = savedMeet.match(velmora->lines()[second]).captured(1);
    EXPECT_NE(next, first);
    EXPECT_EQ(utterances(readFile(next)), QStringList{"Cy Park: On the new bus"});
    expectFinalized(next);
    EXPECT_EQ(utterances(readFile(first)).size(), 2) << "the first transcript was touched again";

    std::cout << "kill -> transcript saved: " << killToSaved << " s; kill -> restart: " << killToRestart
              << " s; kill -> monitoring again: " << killToMonitoring
              << " s; new browser -> capturing: " << browserToCapturing << " s\n";
}

TEST_F(AccessibilityBusRestartTest, TheTrayApplicationShowsItsWindowAgainAfterRestarting) {
    StatusNotifierWatcher watcher{QDBusConnection::sessionBus()};
    ASSERT_TRUE(watcher.serve());
    QDir(config.path()).mkpath(QStringLiteral("velmora"));
    QSettings settings(config.filePath(QStringLiteral("velmora/velmora.ini")), QSettings::IniFormat);
    settings.setValue(QStringLiteral("hasCompletedOnboarding"), true);
    settings.setValue(QStringLiteral("outputDirectory"), output.path());
    settings.sync();
    QProcessEnvironment environment = desktop.environment();
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), config.path());
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    environment.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("velmora.*.info=true"));
    // Started at login (in the tray only); the user opens the window later by starting it again.
    velmora = std::make_unique<HeadlessVelmora>(QStringLiteral(VELMORA_EXECUTABLE),
                                                QStringList{QStringLiteral("--autostart")}, environment);
    const QString monitoringLog = QStringLiteral("Monitoring for captions");
    ASSERT_TRUE(velmora->waitForLogCount(monitoringLog, 1, 30000));
    EXPECT_EQ(windowsTitled(QStringLiteral("Velmora")), 0);
    QProcess second;
    second.setProcessEnvironment(environment);
    second.start(QStringLiteral(VELMORA_EXECUTABLE), QStringList{});
    ASSERT_TRUE(BrowserSession::waitUntil([&] { return second.state() == QProcess::NotRunning; }, 20000));
    ASSERT_TRUE(BrowserSession::waitUntil([&] { return windowsTitled(QStringLiteral("Velmora")) == 1; }, 10000));
    const qint64 pid = velmora->pid();

    desktop.killAccessibilityBus();
    desktop.startAccessibilityBus();
    ASSERT_TRUE(A11yStatus::setEnabled(true));
    ASSERT_TRUE(velmora->waitForLogCount(restartLog, 1, 90000)) << "no restart";
    ASSERT_TRUE(velmora->waitForLogCount(monitoringLog, 2, 30000));
    EXPECT_TRUE(velmora->isRunning());
    EXPECT_EQ(velmora->pid(), pid);
    EXPECT_TRUE(BrowserSession::waitUntil([&] { return windowsTitled(QStringLiteral("Velmora")) == 1; }, 10000))
        << "the window that was open is not shown again (the restart passes --autostart again)";
}

} // namespace
