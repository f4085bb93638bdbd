#include "fakes/PrivateDBusSession.h"
#include "platform/linux/SingleInstance.h"

#include <QDBusConnection>

#include <gtest/gtest.h>

using namespace velmora;

namespace {

TEST(SingleInstanceTest, TheSecondInstanceAsksTheFirstToShowItselfAndLeaves) {
    PrivateDBusSession session;
    ASSERT_TRUE(session.isRunning()) << session.errorString().toStdString();
    {
        auto first = std::make_unique<SingleInstance>(
            QDBusConnection::connectToBus(session.address(), QStringLiteral("first")));
        int activations = 0;
        EXPECT_EQ(first->claim([&] { ++activations; }), SingleInstance::Role::first);

        SingleInstance second(QDBusConnection::connectToBus(session.address(), QStringLiteral("second")));
        bool secondActivated = false;
        EXPECT_EQ(second.claim([&] { secondActivated = true; }), SingleInstance::Role::secondary);
        EXPECT_EQ(activations, 1);
        EXPECT_FALSE(secondActivated);

        // The name is free again once the first has gone.
        first.reset();
        SingleInstance third(QDBusConnection::connectToBus(session.address(), QStringLiteral("third")));
        EXPECT_EQ(third.claim([] {}), SingleInstance::Role::first);
    }
    for (const char* name : {"first", "second", "third"})
        QDBusConnection::disconnectFromBus(QString::fromLatin1(name));
}

TEST(SingleInstanceTest, WithoutASessionBusTheApplicationRunsAlone) {
    SingleInstance instance(QDBusConnection::connectToBus(QStringLiteral("unix:path=/nonexistent/bus"),
                                                          QStringLiteral("nobus")));
    EXPECT_EQ(instance.claim([] {}), SingleInstance::Role::alone);
    QDBusConnection::disconnectFromBus(QStringLiteral("nobus"));
}

} // namespace
