#include "app/ApplicationLifecycle.h"
#include "app/AutostartManager.h"
#include "app/OnboardingManager.h"
#include "fakes/AwaitTask.h"
#include "fakes/HeldCalls.h"

#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace velmora;

namespace {

// The lifecycle with windows and controller that write down what was asked of them; the
// controller's shutdown can be held like one that is still finalising a transcript.
class ApplicationLifecycleTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QSettings settings{dir.filePath(QStringLiteral("velmora.conf")), QSettings::IniFormat};
    OnboardingManager onboarding{settings};
    AutostartManager autostart{dir.filePath(QStringLiteral("autostart")), QStringLiteral("/usr/bin/velmora")};
    QStringList log;
    HeldCalls shutdownCalls;
    std::optional<int> exitStatus;
    std::unique_ptr<ApplicationLifecycle> lifecycle;

    void build(bool atLogin) {
        ApplicationLifecycle::Windows windows{[this] { log << QStringLiteral("main window"); },
                                              [this] { log << QStringLiteral("guide"); },
                                              [this] { log << QStringLiteral("close guide"); },
                                              [this] { log << QStringLiteral("close all"); }};
        ApplicationLifecycle::Controller controller{[this]() -> QCoro::Task<> {
                                                        log << QStringLiteral("initialize");
                                                        co_return;
                                                    },
                                                    [this]() -> QCoro::Task<> {
                                                        log << QStringLiteral("shutdown");
                                                        auto pass = shutdownCalls.pass();
                                                        co_await pass;
                                                        log << QStringLiteral("finalised");
                                                    }};
        lifecycle = std::make_unique<ApplicationLifecycle>(
            onboarding, autostart, windows, controller,
            [this](int status) {
                EXPECT_FALSE(exitStatus) << "exits once";
                exitStatus = status;
            },
            atLogin);
    }
    ~ApplicationLifecycleTest() override { shutdownCalls.open(); }
};

TEST_F(ApplicationLifecycleTest, FirstRunShowsOnlyTheGuideAndStartsWhenItEnds) {
    build(false);
    awaitVoid(lifecycle->launch());
    EXPECT_EQ(log, QStringList{QStringLiteral("guide")});
    EXPECT_FALSE(lifecycle->controllerStarted());
    lifecycle->reopen(); // the user starts Velmora again before finishing
    EXPECT_EQ(log.last(), QStringLiteral("guide"));

    onboarding.markOnboardingCompleted();
    lifecycle->guideFinished();
    EXPECT_EQ(log.mid(2), (QStringList{QStringLiteral("close guide"), QStringLiteral("initialize")}));
    EXPECT_TRUE(autostart.isEnabled()) << "starting at login is on after the guide";

    // Opened again later from the settings: closing it starts nothing and keeps the choice.
    autostart.setEnabled(false);
    lifecycle->guideFinished();
    EXPECT_EQ(log.count(QStringLiteral("initialize")), 1);
    EXPECT_FALSE(autostart.isEnabled());
}

TEST_F(ApplicationLifecycleTest, LaterRunsStartAtOnceAndShowTheWindowUnlessStartedAtLogin) {
    onboarding.markOnboardingCompleted();
    build(false);
    awaitVoid(lifecycle->launch());
    EXPECT_EQ(log, (QStringList{QStringLiteral("initialize"), QStringLiteral("main window")}));

    log.clear();
    build(true);
    awaitVoid(lifecycle->launch());
    EXPECT_EQ(log, QStringList{QStringLiteral("initialize")});
    lifecycle->reopen(); // a second `velmora`
    EXPECT_EQ(log.last(), QStringLiteral("main window"));
}

TEST_F(ApplicationLifecycleTest, QuitRequestsCloseWindowsButQuitFinalisesFirstThenExitsOnce) {
    onboarding.markOnboardingCompleted();
    build(false);
    awaitVoid(lifecycle->launch());
    lifecycle->closeRequested();
    EXPECT_EQ(log.last(), QStringLiteral("close all"));
    EXPECT_FALSE(exitStatus);

    shutdownCalls.hold();
    lifecycle->quit();
    lifecycle->quit(); // a signal arriving while the first quit finalises
    EXPECT_FALSE(exitStatus) << "not before the transcript is finalised";
    shutdownCalls.open();
    QCoreApplication::processEvents();
    EXPECT_EQ(exitStatus, std::optional<int>(0));
    EXPECT_EQ(log.count(QStringLiteral("shutdown")), 1);
    EXPECT_EQ(log.last(), QStringLiteral("finalised"));
}

TEST_F(ApplicationLifecycleTest, ARestartFinalisesLikeQuitAndAQuitMeanwhileWins) {
    onboarding.markOnboardingCompleted();
    build(false);
    awaitVoid(lifecycle->launch());
    awaitVoid(lifecycle->restart(75));
    EXPECT_EQ(exitStatus, std::optional<int>(75));
    EXPECT_EQ(log.count(QStringLiteral("shutdown")), 1);

    exitStatus.reset();
    build(false);
    awaitVoid(lifecycle->launch());
    shutdownCalls.hold();
    lifecycle->restart(75);
    lifecycle->quit();
    shutdownCalls.open();
    QCoreApplication::processEvents();
    EXPECT_EQ(exitStatus, std::optional<int>(0));
}

TEST_F(ApplicationLifecycleTest, QuittingDuringTheFirstGuideExitsWithoutStartingAnything) {
    build(false);
    awaitVoid(lifecycle->launch());
    awaitVoid(lifecycle->quit());
    EXPECT_EQ(exitStatus, std::optional<int>(0));
    EXPECT_EQ(log.count(QStringLiteral("shutdown")), 0);
    lifecycle->guideFinished();
    EXPECT_EQ(log.count(QStringLiteral("initialize")), 0);
}

} // namespace
