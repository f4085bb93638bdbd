#include "ui/SettingsPage.h"

#include "app/SummarySettingsManager.h"
#include "fakes/LocalModelServer.h"
#include "SettingsPageFixture.h"
#include "ui/MarkdownNoteEditor.h"
#include "ui/TextScale.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QSignalSpy>
#include <QLineEdit>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace velmora {
namespace {

using namespace std::chrono_literals;

class SettingsPageTest : public SettingsPageFixture {};

TEST_F(SettingsPageTest, ControlsWriteTheSettingsAndApplyAtOnce) {
    makePage();
    button(QStringLiteral("Plain Text (.txt)"))->click();
    EXPECT_EQ(settings.value(QStringLiteral("transcriptFormat")).toString(), QStringLiteral("plainText"));
    EXPECT_EQ(format.transcriptFormat(), TranscriptFormat::plainText);

    const QFont systemFont = QApplication::font();
    button(QStringLiteral("Mode: Dark"))->click();
    QApplication::processEvents(); // widgets learn of application-wide changes by events
    EXPECT_EQ(settings.value(QStringLiteral("appearanceMode")).toString(), QStringLiteral("dark"));
    EXPECT_EQ(QApplication::palette().color(QPalette::Window),
              AppearanceController::darkPalette().color(QPalette::Window));
    EXPECT_EQ(page->palette().color(QPalette::Window),
              AppearanceController::darkPalette().color(QPalette::Window));

    MarkdownNoteEditor notes;
    button(QStringLiteral("Text size: Extra Large"))->click();
    QApplication::processEvents();
    EXPECT_EQ(notes.font().pixelSize(), 18); // 15 × 1.2
    EXPECT_EQ(settings.value(QStringLiteral("zoomLevel")).toString(), QStringLiteral("extraLarge"));
    EXPECT_DOUBLE_EQ(TextScale::current(), 1.2);
    EXPECT_NEAR(QApplication::font().pointSizeF(), systemFont.pointSizeF() * 1.2, 0.01);
    EXPECT_NEAR(page->font().pointSizeF(), systemFont.pointSizeF() * 1.2, 0.01);

    // A keyboard shortcut elsewhere steps the level: the page shows it.
    state.setZoomLevel(ZoomLevel::small);
    EXPECT_TRUE(button(QStringLiteral("Text size: Small"))->isChecked());
    EXPECT_NEAR(QApplication::font().pointSizeF(), systemFont.pointSizeF() * 0.9, 0.01);
}

TEST_F(SettingsPageTest, StoredAppearanceAndTextSizeApplyAtStart) {
    const QPalette system = QApplication::palette();
    const QFont systemFont = QApplication::font();
    AppearanceModes::store(settings, AppearanceMode::light);
    zoom.setZoomLevel(ZoomLevel::large);
    AppState restarted;
    restarted.configureZoom(&zoom);
    AppearanceController restartedLook(*qApp, settings, restarted);
    EXPECT_EQ(restartedLook.mode(), AppearanceMode::light);
    EXPECT_EQ(QApplication::palette().color(QPalette::Base),
              AppearanceController::lightPalette().color(QPalette::Base));
    EXPECT_NEAR(QApplication::font().pointSizeF(), systemFont.pointSizeF() * 1.1, 0.01);

    restartedLook.setMode(AppearanceMode::system);
    EXPECT_EQ(QApplication::palette().color(QPalette::Window), system.color(QPalette::Window));
    EXPECT_EQ(AppearanceModes::stored(settings), AppearanceMode::system);
    restarted.setZoomLevel(ZoomLevel::default_);
}

TEST_F(SettingsPageTest, ANewOutputFolderMovesTheLibrary) {
    makePage();
    QSignalSpy moved(&library, &MeetingLibrary::folderChanged);
    QAbstractButton* reset = button(QStringLiteral("Reset to Default"));
    EXPECT_FALSE(reset->isEnabled());

    nextChoice = home.filePath(QStringLiteral("Chosen"));
    button(QStringLiteral("Change..."))->click();
    EXPECT_EQ(output.customDirectory(), nextChoice);
    EXPECT_EQ(library.folder(), *nextChoice);
    EXPECT_EQ(moved.count(), 1);
    EXPECT_TRUE(reset->isEnabled());

    button(QStringLiteral("Open in File Manager"))->click();
    // The folder is made by the first meeting; until then its parent is shown.
    ASSERT_EQ(opened.size(), 1);
    EXPECT_EQ(opened[0], QUrl::fromLocalFile(home.path()));

    // A folder that cannot be written is refused with its reason; nothing changes.
    QFile blocker(home.filePath(QStringLiteral("file")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    EXPECT_FALSE(page->chooseOutputDirectory(home.filePath(QStringLiteral("file/sub"))));
    EXPECT_EQ(output.customDirectory(), nextChoice);
    EXPECT_EQ(library.folder(), *nextChoice);
    bool reasonShown = false;
    for (QLabel* label : page->findChildren<QLabel*>())
        reasonShown |= label->isVisibleTo(page.get()) && label->text().contains(QStringLiteral("cannot write"));
    EXPECT_TRUE(reasonShown);

    reset->click();
    EXPECT_EQ(output.customDirectory(), std::nullopt);
    EXPECT_EQ(library.folder(), home.filePath(QStringLiteral("Default")));
    EXPECT_EQ(moved.count(), 2);
    EXPECT_FALSE(reset->isEnabled());
}

TEST_F(SettingsPageTest, AccessibilityTurnsOnAndIsRecheckedWhileShownWithoutTheWindowWaiting) {
    makePage();
    // Asked on the accessibility queue, answered when the queue gets to it.
    accessibilityQueue.runAll();
    EXPECT_EQ(page->accessibilityStatus(), QStringLiteral("Off"));
    accessibility.switchWorks = false;
    button(QStringLiteral("Turn On Accessibility"))->click();
    EXPECT_EQ(accessibility.requests, 0);
    accessibilityQueue.runAll();
    EXPECT_EQ(page->accessibilityStatus(), QStringLiteral("Off"));
    bool explained = false;
    for (QLabel* label : page->findChildren<QLabel*>())
        explained |= label->text().contains(QStringLiteral("could not be turned on"));
    EXPECT_TRUE(explained);

    accessibility.switchWorks = true;
    button(QStringLiteral("Turn On Accessibility"))->click();
    accessibilityQueue.runAll();
    EXPECT_EQ(page->accessibilityStatus(), QStringLiteral("On"));
    bool restartAsked = false;
    for (QLabel* label : page->findChildren<QLabel*>())
        restartAsked |= label->text().contains(QStringLiteral("Restart your browser"));
    EXPECT_TRUE(restartAsked);

    // Switched off elsewhere: seen at the next check, 5 s later, only while the page is shown.
    page->show();
    accessibilityQueue.runAll();
    accessibility.trusted = false;
    scheduler.advance(4900ms);
    accessibilityQueue.runAll();
    EXPECT_EQ(page->accessibilityStatus(), QStringLiteral("On"));
    scheduler.advance(100ms);
    accessibilityQueue.runAll();
    EXPECT_EQ(page->accessibilityStatus(), QStringLiteral("Off"));
    page->hide();
    accessibility.trusted = true;
    scheduler.advance(20s);
    accessibilityQueue.runAll();
    EXPECT_EQ(page->accessibilityStatus(), QStringLiteral("Off"));
    EXPECT_FALSE(accessibility.askedOutsideAJob);
}

TEST_F(SettingsPageTest, NotificationRowSaysWhetherAServerRuns) {
    notifications.status = NotificationCenterProviding::AuthorizationStatus::denied;
    makePage().show();
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return page->notificationStatus() == QStringLiteral("No notification service"); }, 2000));
    notifications.status = NotificationCenterProviding::AuthorizationStatus::authorized;
    page->refresh();
    EXPECT_TRUE(QTest::qWaitFor([&] { return page->notificationStatus() == QStringLiteral("Available"); },
                                2000));
}

TEST_F(SettingsPageTest, LanguageModelRowFollowsTheServerWhileShown) {
    LocalModelServer server;
    LocalModelServer::Response answer = LocalModelServer::loading();
    server.handler = [&](const LocalModelServer::Request&) { return answer; };
    SummarySettingsManager(settings).setModelServerURL(server.baseUrl());
    makePage();
    QTest::qWait(0);
    EXPECT_TRUE(server.requests.isEmpty()); // nothing is asked before the page is shown

    page->show();
    ASSERT_TRUE(waitForModelCheck(QStringLiteral("Loading")));

    answer = LocalModelServer::models();
    scheduler.advance(5s);
    ASSERT_TRUE(waitForModelCheck(QStringLiteral("Available")));

    answer = LocalModelServer::Response{404, QByteArrayLiteral("<html>not here</html>")};
    scheduler.advance(5s);
    ASSERT_TRUE(waitForModelCheck(QStringLiteral("Unknown")));

    // Hidden: no more requests, however long.
    page->hide();
    QTest::qWait(0);
    const qsizetype asked = server.requests.size();
    scheduler.advance(60s);
    QTest::qWait(50);
    EXPECT_EQ(server.requests.size(), asked);
}

TEST_F(SettingsPageTest, LanguageModelFieldsAreStoredAndAClosedPortIsNotRunning) {
    quint16 closedPort = 0;
    {
        QTcpServer probe;
        ASSERT_TRUE(probe.listen(QHostAddress::LocalHost));
        closedPort = probe.serverPort();
    }
    makePage().show();
    auto* field = page->findChildren<QLineEdit*>().value(0);
    ASSERT_NE(field, nullptr);
    ASSERT_EQ(field->accessibleName(), QStringLiteral("Language model server address"));
    field->setText(QStringLiteral("http://127.0.0.1:%1/v1").arg(closedPort));
    emit field->editingFinished();
    EXPECT_EQ(SummarySettingsManager(settings).modelServerURL(),
              QUrl(QStringLiteral("http://127.0.0.1:%1/v1").arg(closedPort)));
    EXPECT_TRUE(waitForModelCheck(QStringLiteral("Not running")));

    field->setText(QStringLiteral("not a url at all ::"));
    emit field->editingFinished();
    EXPECT_EQ(page->languageModelStatus(), QStringLiteral("Not a server address"));
    EXPECT_EQ(SummarySettingsManager(settings).modelServerURL(),
              QUrl(QStringLiteral("http://127.0.0.1:%1/v1").arg(closedPort)));
}

} // namespace
} // namespace velmora
