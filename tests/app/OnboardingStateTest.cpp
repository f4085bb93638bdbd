#include "app/OnboardingManager.h"
#include "app/OnboardingState.h"
#include "fakes/FakeAXPermissionChecker.h"
#include "fakes/FakeNotificationService.h"
#include "fakes/AwaitTask.h"
#include "fakes/ImmediateExecutor.h"

#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace velmora;
using Step = OnboardingState::Step;

namespace {

class OnboardingStateTest : public ::testing::Test {
protected:
    QTemporaryDir temp;
    QSettings settings{temp.filePath(QStringLiteral("velmora.conf")), QSettings::IniFormat};
    OnboardingManager manager{settings};
    FakeAXPermissionChecker checker;
    FakeNotificationService notifications;
    ImmediateExecutor axQueue;
    OnboardingState state{checker, axQueue, manager, notifications};

    QList<Step> advanceToTheEnd() {
        QList<Step> visited;
        while (state.currentStep() != Step::done) {
            state.advance();
            visited.append(state.currentStep());
        }
        return visited;
    }
};

TEST_F(OnboardingStateTest, WalksEveryStepAndPersistsCompletionOnce) {
    QSignalSpy completed(&state, &OnboardingState::isCompleteChanged);
    EXPECT_EQ(advanceToTheEnd(), (QList<Step>{Step::whyPermission, Step::grantPermission,
                                              Step::enableNotifications, Step::enableLanguageModel,
                                              Step::captionTips, Step::done}));
    EXPECT_TRUE(state.isComplete());
    EXPECT_EQ(completed.count(), 1);
    EXPECT_TRUE(manager.hasCompletedOnboarding());

    QSignalSpy stepChanged(&state, &OnboardingState::currentStepChanged);
    state.advance();
    EXPECT_EQ(state.currentStep(), Step::done);
    EXPECT_EQ(stepChanged.count(), 0);
}

TEST_F(OnboardingStateTest, PermissionStepIsSkippedWhenTheLastCheckFoundTrust) {
    checker.trusted = true;
    state.advance();
    state.advance();
    EXPECT_EQ(state.currentStep(), Step::grantPermission) << "not asked yet";

    state.skipToStep(Step::welcome);
    checker.isTrustedCalls = 0;
    EXPECT_EQ(awaitTask(state.checkTrust()).value, std::optional<bool>(true));
    EXPECT_EQ(checker.isTrustedCalls, 1);
    EXPECT_FALSE(checker.askedOutsideAJob);
    state.advance();
    state.advance();
    EXPECT_EQ(state.currentStep(), Step::enableNotifications);
}

TEST_F(OnboardingStateTest, OnlyWelcomeAndTipsReopenACompletedGuide) {
    advanceToTheEnd();
    state.skipToStep(Step::enableNotifications);
    EXPECT_EQ(state.currentStep(), Step::done);
    EXPECT_TRUE(state.isComplete());

    state.skipToStep(Step::welcome);
    EXPECT_EQ(state.currentStep(), Step::welcome);
    EXPECT_FALSE(state.isComplete());
    EXPECT_TRUE(manager.hasCompletedOnboarding());

    state.skipToStep(Step::captionTips);
    state.advance();
    EXPECT_TRUE(state.isComplete());
}

} // namespace
