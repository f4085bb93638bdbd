#include "app/OnboardingManager.h"
#include "app/OnboardingState.h"
#include "app/PermissionStepPoll.h"
#include "fakes/FakeAXPermissionChecker.h"
#include "fakes/FakeNotificationService.h"
#include "fakes/HoldableExecutor.h"
#include "fakes/ManualScheduler.h"

#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace velmora;
using namespace std::chrono_literals;
using Step = OnboardingState::Step;

namespace {

// The guide's permission step in virtual time, its checks on a queue that can be held busy.
class PermissionStepPollTest : public ::testing::Test {
protected:
    QTemporaryDir temp;
    QSettings settings{temp.filePath(QStringLiteral("velmora.conf")), QSettings::IniFormat};
    OnboardingManager manager{settings};
    FakeAXPermissionChecker checker;
    FakeNotificationService notifications;
    HoldableExecutor axQueue;
    ManualScheduler scheduler;
    OnboardingState state{checker, axQueue, manager, notifications};

    ~PermissionStepPollTest() override {
        axQueue.release();
        scheduler.runDue();
    }
    void goToPermissionStep() {
        state.advance();
        state.advance();
        ASSERT_EQ(state.currentStep(), Step::grantPermission);
    }
};

TEST_F(PermissionStepPollTest, TrustGrantedWhileWaitingMovesOnWithinASecondOnTheQueue) {
    PermissionStepPoll poll(state, scheduler);
    goToPermissionStep();
    scheduler.advance(5s);
    EXPECT_EQ(state.currentStep(), Step::grantPermission);
    const int checksWhileWaiting = checker.isTrustedCalls;
    EXPECT_GE(checksWhileWaiting, 5);
    EXPECT_LE(checksWhileWaiting, 6);

    checker.trusted = true;
    scheduler.advance(1s);
    EXPECT_EQ(state.currentStep(), Step::enableNotifications) << "jumps past itself, not to the next";
    EXPECT_FALSE(checker.askedOutsideAJob);
    EXPECT_FALSE(poll.isPolling());
    scheduler.advance(10s);
    EXPECT_EQ(checker.isTrustedCalls, checksWhileWaiting + 1);
    EXPECT_FALSE(state.isComplete());
}

TEST_F(PermissionStepPollTest, AlreadyTrustedLeavesTheStepWithoutWaiting) {
    checker.trusted = true;
    goToPermissionStep(); // the guide had not asked yet
    PermissionStepPoll poll(state, scheduler);
    scheduler.runDue();
    EXPECT_EQ(state.currentStep(), Step::enableNotifications);
}

TEST_F(PermissionStepPollTest, StopsWhenTheStepChangesOrTheWindowCloses) {
    auto poll = std::make_unique<PermissionStepPoll>(state, scheduler);
    goToPermissionStep();
    scheduler.advance(2s);
    state.skipToStep(Step::welcome);
    const int checks = checker.isTrustedCalls;
    scheduler.advance(5s);
    EXPECT_EQ(checker.isTrustedCalls, checks);

    goToPermissionStep();
    scheduler.advance(1s);
    poll.reset();
    const int checksBeforeClosing = checker.isTrustedCalls;
    scheduler.advance(5s);
    EXPECT_EQ(checker.isTrustedCalls, checksBeforeClosing);
    EXPECT_EQ(scheduler.pendingCount(), 0u);
}

TEST_F(PermissionStepPollTest, AnAnswerArrivingAfterTheUserMovedOnChangesNothing) {
    PermissionStepPoll poll(state, scheduler);
    axQueue.hold();
    goToPermissionStep(); // the first check waits behind a busy accessibility thread
    checker.trusted = true;
    state.skipToStep(Step::welcome);
    state.advance();
    EXPECT_EQ(state.currentStep(), Step::whyPermission);
    axQueue.release();
    scheduler.runDue();
    EXPECT_EQ(state.currentStep(), Step::whyPermission);
}

} // namespace
