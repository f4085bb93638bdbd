#include "app/NotificationManager.h"
#include "fakes/AwaitTask.h"
#include "fakes/LogCapture.h"
#include "fakes/PrivateDBusSession.h"
#include "platform/linux/LinuxFileRevealer.h"
#include "platform/linux/LinuxNotificationCenter.h"
#include "FakeFileManager.h"
#include "FakeNotificationServer.h"

#include <QDBusConnectionInterface>
#include <QDBusPendingCallWatcher>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QSignalSpy>
#include <QTimer>
#include <QUrl>
#include <QUuid>

#include <gtest/gtest.h>

using namespace velmora;
using Status = NotificationCenterProviding::AuthorizationStatus;

namespace {

class LinuxNotificationCenterTest : public ::testing::Test {
protected:
    PrivateDBusSession session;
    QStringList connectionNames;
    QDBusConnection client = connectNew();
    QDBusConnection serverBus = connectNew();
    QStringList openedFolders;
    LinuxNotificationCenter center{client};
    LinuxFileRevealer revealer{client, [this](const QString& folder) { openedFolders.append(folder); }};
    NotificationManager manager{center, revealer};
    FakeNotificationServer server{serverBus};
    FakeFileManager fileManager;

    void SetUp() override {
        ASSERT_TRUE(session.isRunning()) << session.errorString().toStdString();
        ASSERT_TRUE(client.isConnected());
    }
    ~LinuxNotificationCenterTest() override {
        for (const QString& name : connectionNames)
            QDBusConnection::disconnectFromBus(name);
    }

    QDBusConnection connectNew() {
        connectionNames.append(QUuid::createUuid().toString());
        return QDBusConnection::connectToBus(session.address(), connectionNames.last());
    }

    void show(const QString& path) {
        auto task = manager.showTranscriptSaved(path);
        QCoro::waitFor(task);
    }

    // Every call the client sent to the file manager before this has been answered.
    void syncWithFileManager() {
        QDBusPendingCallWatcher ping(client.asyncCall(QDBusMessage::createMethodCall(
            QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("/org/freedesktop/FileManager1"),
            QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("Ping"))));
        QSignalSpy finished(&ping, &QDBusPendingCallWatcher::finished);
        ASSERT_TRUE(ping.isFinished() || finished.wait(10000));
        ASSERT_FALSE(ping.isError()) << ping.error().message().toStdString();
    }
};

TEST_F(LinuxNotificationCenterTest, WithoutAServerNotificationsAreDeniedAndSkipped) {
    EXPECT_EQ(awaitTask(center.authorizationStatus()).value, Status::denied);
    EXPECT_EQ(awaitTask(center.requestAuthorization({})).value, false);
    EXPECT_TRUE(center.statusDescription(Status::denied).contains(QStringLiteral("No notification service")));

    LogCapture log;
    show(QStringLiteral("/out/a.md"));
    EXPECT_TRUE(log.contains(QStringLiteral("velmora.notification"),
                             QStringLiteral("Notification not authorized (status: denied), skipping")));
}

TEST_F(LinuxNotificationCenterTest, AServerTheBusCanStartCountsAsAuthorised) {
    PrivateDBusSession activating({{QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("/bin/false")}});
    ASSERT_TRUE(activating.isRunning());
    const QString name = QUuid::createUuid().toString();
    {
        LinuxNotificationCenter onDemand(QDBusConnection::connectToBus(activating.address(), name));
        EXPECT_EQ(awaitTask(onDemand.authorizationStatus()).value, Status::authorized);
    }
    QDBusConnection::disconnectFromBus(name);
}

TEST_F(LinuxNotificationCenterTest, EachTranscriptIsPostedAsItsOwnClickableNotification) {
    server.capabilities.append(QStringLiteral("body-markup"));
    ASSERT_TRUE(server.serve());
    EXPECT_EQ(awaitTask(center.authorizationStatus()).value, Status::authorized);

    show(QStringLiteral("/out/R&D <sync>.md"));
    show(QStringLiteral("/out/R&D <sync>.md"));
    ASSERT_EQ(server.notifications.size(), 2);
    EXPECT_NE(server.notifications[0].id, server.notifications[1].id);
    for (const auto& notification : server.notifications) {
        EXPECT_EQ(notification.appName, QStringLiteral("Velmora"));
        EXPECT_EQ(notification.summary, QStringLiteral("Transcript Saved"));
        EXPECT_EQ(notification.body, QStringLiteral("/out/R&amp;D &lt;sync&gt;.md")); // markup server
        EXPECT_EQ(notification.actions.value(0), QStringLiteral("default"));
    }

    server.capabilities.removeLast();
    show(QStringLiteral("/out/R&D <sync>.md"));
    EXPECT_EQ(server.notifications.last().body, QStringLiteral("/out/R&D <sync>.md"));
}

TEST_F(LinuxNotificationCenterTest, AHungServerGivesUpAfterTheCallTimeoutWithoutBlocking) {
    server.hung = true;
    ASSERT_TRUE(server.serve());
    LinuxNotificationCenter impatient(client, std::chrono::milliseconds(300));
    NotificationManager notifications(impatient, revealer);
    LogCapture log;
    QElapsedTimer elapsed;
    elapsed.start();
    auto show = notifications.showTranscriptSaved(QStringLiteral("/out/a.md"));
    // The call returns to the event loop at once: nothing waits for the server.
    EXPECT_FALSE(show.isReady());
    QCoro::waitFor(show);
    EXPECT_LT(elapsed.elapsed(), 10000); // D-Bus's own default would be 25 s per call
    EXPECT_TRUE(server.notifications.isEmpty());
    EXPECT_TRUE(log.contains(QStringLiteral("velmora.notification"),
                             QStringLiteral("Failed to post notification")));
}

TEST_F(LinuxNotificationCenterTest, ClickRevealsExactlyThatFile) {
    ASSERT_TRUE(server.serve());
    ASSERT_TRUE(fileManager.serve(serverBus));
    const QString path = QStringLiteral("/tmp/velmora out/Weekly sync – Q3 #2.md");
    show(path);
    ASSERT_EQ(server.notifications.size(), 1);

    QSignalSpy shown(&fileManager, &FakeFileManager::showItemsCalled);
    server.click(server.notifications[0].id);
    ASSERT_TRUE(shown.wait(10000));
    ASSERT_EQ(fileManager.shown.size(), 1);
    ASSERT_EQ(fileManager.shown[0].size(), 1);
    EXPECT_EQ(QUrl(fileManager.shown[0][0]).toLocalFile(), path);
    EXPECT_TRUE(openedFolders.isEmpty());
}

TEST_F(LinuxNotificationCenterTest, OnlyClicksOnOurOpenNotificationsFromTheServerAreAnswered) {
    ASSERT_TRUE(server.serve());
    ASSERT_TRUE(fileManager.serve(serverBus));
    show(QStringLiteral("/out/first.md"));
    show(QStringLiteral("/out/second.md"));
    ASSERT_EQ(server.notifications.size(), 2);
    const uint first = server.notifications[0].id, second = server.notifications[1].id;

    server.click(first + second); // another application's notification
    server.click(second, QStringLiteral("snooze"));
    server.closed(first);
    server.click(first);
    // A client that does not own the server's name cannot click for it.
    QDBusConnection intruder = connectNew();
    QDBusMessage fake = QDBusMessage::createSignal(QStringLiteral("/org/freedesktop/Notifications"),
                                                   QStringLiteral("org.freedesktop.Notifications"),
                                                   QStringLiteral("ActionInvoked"));
    fake << second << QStringLiteral("default");
    intruder.send(fake);
    intruder.interface()->isServiceRegistered(QStringLiteral("org.freedesktop.DBus")); // flushed

    QSignalSpy shown(&fileManager, &FakeFileManager::showItemsCalled);
    server.click(second);
    ASSERT_TRUE(shown.wait(10000));
    syncWithFileManager();
    ASSERT_EQ(fileManager.shown.size(), 1);
    EXPECT_EQ(QUrl(fileManager.shown[0].value(0)).toLocalFile(), QStringLiteral("/out/second.md"));
}

TEST_F(LinuxNotificationCenterTest, WithoutAFileManagerTheFolderIsOpened) {
    QEventLoop loop;
    LinuxFileRevealer fallback(client, [&](const QString& folder) {
        openedFolders.append(folder);
        loop.quit();
    });
    fallback.revealFile(QStringLiteral("/tmp/velmora out/a b.md"));
    QTimer::singleShot(10000, &loop, &QEventLoop::quit);
    loop.exec();
    EXPECT_EQ(openedFolders, QStringList{QStringLiteral("/tmp/velmora out")});
}

} // namespace
