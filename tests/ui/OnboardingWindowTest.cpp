#include "app/OnboardingManager.h"
#include "app/OnboardingState.h"
#include "fakes/FakeAXPermissionChecker.h"
#include "fakes/FakeDesktopServices.h"
#include "fakes/FakeNotificationService.h"
#include "fakes/ImmediateExecutor.h"
#include "fakes/ManualScheduler.h"
#include "ui/OnboardingWindow.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace velmora;
using namespace std::chrono_literals;
using Step = OnboardingState::Step;

namespace {

class OnboardingWindowTest : public ::testing::Test {
protected:
    QTemporaryDir temp;
    QSettings settings{temp.filePath(QStringLiteral("velmora.conf")), QSettings::IniFormat};
    OnboardingManager manager{settings};
    FakeAXPermissionChecker checker;
    FakeNotificationService notifications;
    ImmediateExecutor axQueue;
    ManualScheduler scheduler;
    FakeDesktopServices desktop;
    OnboardingState state{checker, axQueue, manager, notifications};
    OnboardingWindow window{state, scheduler, desktop, {}};

    // What the current step shows, in order (deleted pages are gone after the event loop turns).
    QStringList texts() {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QStringList shown;
        for (QLabel* label : window.findChildren<QLabel*>()) {
            if (label->isVisibleTo(&window) && !label->text().isEmpty())
                shown << label->text();
        }
        return shown;
    }
    QPushButton* button(const QString& text) {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        for (QPushButton* candidate : window.findChildren<QPushButton*>()) {
            if (candidate->text() == text && candidate->isVisibleTo(&window))
                return candidate;
        }
        ADD_FAILURE() << "no button " << text.toStdString();
        return nullptr;
    }
};

TEST_F(OnboardingWindowTest, SkipRequestsNothingAndEnablingAsksOnce) {
    state.setCurrentStep(Step::enableNotifications);
    button(QStringLiteral("Skip"))->click();
    EXPECT_EQ(state.currentStep(), Step::enableLanguageModel);
    button(QStringLiteral("Skip"))->click();
    EXPECT_EQ(state.currentStep(), Step::captionTips);
    EXPECT_EQ(notifications.permissionRequests, 0);
    EXPECT_EQ(desktop.accessibilitySwitches, 0);

    state.setCurrentStep(Step::enableNotifications);
    button(QStringLiteral("Enable Notifications"))->click();
    QCoreApplication::processEvents();
    EXPECT_EQ(notifications.permissionRequests, 1);
    EXPECT_EQ(state.currentStep(), Step::enableLanguageModel);
}

TEST_F(OnboardingWindowTest, TipsListThreeApplicationsWithNumberedSteps) {
    state.setCurrentStep(Step::captionTips);
    const QStringList shown = texts();
    const auto position = [&](const QString& text) { return shown.indexOf(text); };
    for (const QString& app : {QStringLiteral("Microsoft Teams"), QStringLiteral("Zoom"), QStringLiteral("Google Meet")})
        EXPECT_GE(position(app), 0) << app.toStdString();
    EXPECT_LT(position(QStringLiteral("Microsoft Teams")), position(QStringLiteral("Zoom")));
    EXPECT_LT(position(QStringLiteral("Zoom")), position(QStringLiteral("Google Meet")));
    EXPECT_EQ(shown.filter(QRegularExpression(QStringLiteral("^1\\. "))).size(), 3);
    EXPECT_EQ(shown.filter(QRegularExpression(QStringLiteral("^4\\. "))).size(), 2);
    EXPECT_EQ(shown.filter(QRegularExpression(QStringLiteral("^5\\. "))).size(), 0);
    EXPECT_EQ(shown[position(QStringLiteral("Google Meet")) + 2],
              QStringLiteral("2. Click \"Turn on captions\" (CC) at the bottom of the screen"));
}

TEST_F(OnboardingWindowTest, PermissionStepMovesOnByItselfWhileTheWindowIsShown) {
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Velmora Setup"));
    EXPECT_EQ(window.size(), QSize(544, 464));
    window.show();
    button(QStringLiteral("Get Started"))->click();
    button(QStringLiteral("Continue"))->click();
    ASSERT_EQ(state.currentStep(), Step::grantPermission);
    EXPECT_TRUE(texts().contains(QStringLiteral("Waiting for permission...")));

    desktop.switchResult = {true, {QStringLiteral("chromium")}};
    button(QStringLiteral("Turn On Accessibility"))->click();
    EXPECT_TRUE(texts().contains(
        QStringLiteral("Accessibility is on. Restart chromium so that Velmora can read its meetings.")));

    checker.trusted = true;
    scheduler.advance(1s);
    EXPECT_EQ(state.currentStep(), Step::enableNotifications);
    EXPECT_FALSE(checker.askedOutsideAJob);

    // Closed on the permission step: nobody asks any more.
    state.setCurrentStep(Step::grantPermission);
    checker.trusted = false;
    window.close();
    const int checks = checker.isTrustedCalls;
    scheduler.advance(5s);
    EXPECT_EQ(checker.isTrustedCalls, checks);
}

TEST_F(OnboardingWindowTest, CloseOnTheLastStepCompletesTheGuide) {
    bool completed = false;
    QObject::connect(&window, &OnboardingWindow::completed, [&] { completed = true; });
    state.setCurrentStep(Step::captionTips);
    button(QStringLiteral("Done"))->click();
    EXPECT_TRUE(state.isComplete());
    EXPECT_TRUE(manager.hasCompletedOnboarding());
    button(QStringLiteral("Close"))->click();
    EXPECT_TRUE(completed);
}

} // namespace
