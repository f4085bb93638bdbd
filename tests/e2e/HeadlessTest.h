#pragma once

#include "ChromiumTest.h"

#include "fakes/QtPrinters.h"
#include "harness/HeadlessVelmora.h"
#include "harness/TranscriptText.h"
#include "library/MeetingHistoryManager.h"
#include "platform/FakeNotificationServer.h"

#include <QDBusConnectionInterface>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <iostream>

namespace velmora::e2e {

inline constexpr int stepTimeoutMs = 20000;
inline const QString pollLogLine = QStringLiteral("velmora.session: Poll ");
inline const QRegularExpression capturingMeet(QStringLiteral("^capturing Google Meet$"));
inline const QRegularExpression savedMeet(QStringLiteral("^saved browserMeet (.+) ([0-9.]+)s$"));

// `velmora --headless` against a real browser: Chromium shows a meeting page whose caption area
// the test scripts, and the application finds it, captures and saves on its own, as a user
// would run it.
class HeadlessTest : public ::testing::Test {
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
        launch();
    }
    // Starts `velmora --headless` on the output folder, through `wrapper` (a program and its
    // arguments that run the rest) when given.
    void launch(const QStringList& wrapper = {}) {
        QProcessEnvironment environment = browser.desktop().environment();
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), config.path());
        environment.insert(QStringLiteral("XDG_DATA_HOME"), config.filePath(QStringLiteral("data")));
        environment.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("velmora.*.info=true"));
        // Any accessibility call the main thread waits for ends the run with a message.
        environment.insert(QStringLiteral("VELMORA_STRICT_ACCESSIBILITY_THREAD"), QStringLiteral("1"));
        QStringList arguments = wrapper.mid(1);
        if (!wrapper.isEmpty())
            arguments << QStringLiteral(VELMORA_EXECUTABLE);
        arguments << QStringLiteral("--headless") << QStringLiteral("--output-dir") << output.path();
        velmora = std::make_unique<HeadlessVelmora>(
            wrapper.isEmpty() ? QStringLiteral(VELMORA_EXECUTABLE) : wrapper.first(), arguments, environment);
    }
    void TearDown() override {
        if (HasFailure() && velmora)
            std::cerr << "velmora printed:\n" << velmora->lines().join('\n').toStdString()
                      << "\nvelmora logged (last part):\n" << velmora->log().right(6000).toStdString() << '\n';
        velmora.reset();
        // A meeting left on screen would be captured by the next test's application.
        browser.open(QStringLiteral("blank.html"));
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

} // namespace velmora::e2e
