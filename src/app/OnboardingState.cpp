#include "app/OnboardingState.h"

#include "app/OnboardingProvider.h"
#include "capture/SerialExecutor.h"
#include "sources/AXPermissionChecker.h"

namespace velmora {

OnboardingState::OnboardingState(AXPermissionChecker& permissionChecker,
                                 SerialExecutor& accessibilityQueue,
                                 OnboardingProvider& onboardingProvider,
                                 NotificationService& notificationService, QObject* parent)
    : QObject(parent), permissionChecker_(permissionChecker), accessibilityQueue_(accessibilityQueue),
      onboardingProvider_(onboardingProvider), notificationService_(notificationService) {}

void OnboardingState::setCurrentStep(Step step) {
    if (currentStep_ == step)
        return;
    currentStep_ = step;
    emit currentStepChanged();
}

void OnboardingState::setComplete(bool complete) {
    if (isComplete_ == complete)
        return;
    isComplete_ = complete;
    emit isCompleteChanged();
}

QCoro::Task<bool> OnboardingState::checkTrust() {
    auto& checker = permissionChecker_;
    auto check = accessibilityQueue_.run([&checker] { return checker.isTrusted(); });
    trusted_ = co_await check;
    co_return trusted_;
}

void OnboardingState::advance() {
    if (isComplete_ || currentStep_ == Step::done)
        return;
    const auto next = static_cast<Step>(static_cast<int>(currentStep_) + 1);
    if (next == Step::grantPermission && trusted_) {
        setCurrentStep(Step::enableNotifications);
        return;
    }
    setCurrentStep(next);
    if (currentStep_ == Step::done) {
        setComplete(true);
        onboardingProvider_.markOnboardingCompleted();
    }
}

void OnboardingState::skipToStep(Step step) {
    const bool reopens = step == Step::welcome || step == Step::captionTips;
    if (isComplete_ && !reopens)
        return;
    setCurrentStep(step);
    if (reopens)
        setComplete(false);
}

} // namespace velmora
