#include "app/NotificationManager.h"
#include "fakes/FakeFileRevealer.h"
#include "fakes/FakeNotificationCenter.h"
#include "fakes/LogCapture.h"

#include <QCoroTask>
#include <QUuid>

#include <gtest/gtest.h>

using namespace velmora;
using Status = NotificationCenterProviding::AuthorizationStatus;
using Option = NotificationCenterProviding::AuthorizationOption;

namespace {

const QString category = QStringLiteral("velmora.notification");

class NotificationManagerTest : public ::testing::Test {
protected:
    FakeNotificationCenter center;
    FakeFileRevealer revealer;
    NotificationManager manager{center, revealer};

    void show(const QString& path) {
        auto task = manager.showTranscriptSaved(path);
        QCoro::waitFor(task);
    }
};

TEST_F(NotificationManagerTest, WithoutAuthorisationNothingIsPostedAndTheSkipIsLogged) {
    for (Status status : {Status::denied, Status::notDetermined, Status::provisional}) {
        center.status = status;
        LogCapture log;
        show(QStringLiteral("/out/a.md"));
        EXPECT_TRUE(log.contains(category, QStringLiteral("Notification not authorized (status: %1), skipping")
                                               .arg(NotificationCenterProviding::statusName(status))));
    }
    EXPECT_TRUE(center.added.isEmpty());
}

TEST_F(NotificationManagerTest, EachTranscriptGetsItsOwnNotificationCarryingThePath) {
    LogCapture log;
    show(QStringLiteral("/out/Team sync.md"));
    show(QStringLiteral("/out/Team sync.md"));

    ASSERT_EQ(center.added.size(), 2);
    EXPECT_NE(center.added[0].identifier, center.added[1].identifier);
    for (const auto& request : center.added) {
        EXPECT_FALSE(QUuid::fromString(request.identifier).isNull());
        EXPECT_EQ(request.title, QStringLiteral("Transcript Saved"));
        EXPECT_EQ(request.body, QStringLiteral("/out/Team sync.md"));
        EXPECT_EQ(request.userInfo, (QVariantMap{{QStringLiteral("filePath"), QStringLiteral("/out/Team sync.md")}}));
    }
    EXPECT_EQ(log.count(category, QStringLiteral("Notification posted for: Team sync.md")), 2);
}

TEST_F(NotificationManagerTest, FailuresAreLoggedNotThrown) {
    center.failure = QStringLiteral("server went away");
    LogCapture log;
    show(QStringLiteral("/out/a.md"));
    auto request = manager.requestPermission();
    QCoro::waitFor(request);
    EXPECT_TRUE(log.contains(category, QStringLiteral("Failed to post notification: server went away")));
    EXPECT_TRUE(log.contains(category, QStringLiteral("Notification permission request error: server went away")));
    EXPECT_EQ(center.requestedOptions, (QList{Option::alert | Option::sound}));
}

TEST_F(NotificationManagerTest, ClickRevealsTheFileNamedByTheNotificationOnly) {
    ASSERT_NE(center.delegate, nullptr);
    center.delegate->didReceiveResponse({{QStringLiteral("filePath"), QStringLiteral("/out/a b.md")}});
    center.delegate->didReceiveResponse({{QStringLiteral("filePath"), 42}});
    center.delegate->didReceiveResponse({});
    EXPECT_EQ(revealer.revealed, QStringList{QStringLiteral("/out/a b.md")});
}

} // namespace
