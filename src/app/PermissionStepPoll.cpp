#include "app/PermissionStepPoll.h"

#include "app/OnboardingState.h"

namespace velmora {

using Step = OnboardingState::Step;

PermissionStepPoll::PermissionStepPoll(OnboardingState& state, Scheduler& scheduler, QObject* parent)
    : QObject(parent), state_(state), scheduler_(scheduler) {
    connect(&state_, &OnboardingState::currentStepChanged, this, &PermissionStepPoll::follow);
    follow();
}

PermissionStepPoll::~PermissionStepPoll() { stop(); }

void PermissionStepPoll::follow() {
    if (state_.currentStep() != Step::grantPermission) {
        stop();
        return;
    }
    if (token_)
        return;
    token_ = CancelToken();
    poll(&state_, scheduler_, *token_);
}

void PermissionStepPoll::stop() {
    if (!token_)
        return;
    token_->cancel();
    token_.reset();
}

QCoro::Task<> PermissionStepPoll::poll(QPointer<OnboardingState> state, Scheduler& scheduler,
                                       CancelToken token) {
    while (!token.isCancelled()) {
        auto check = state->checkTrust();
        const bool trusted = co_await check;
        // The window may have closed or the user moved on while the check ran.
        if (token.isCancelled() || !state)
            co_return;
        if (trusted && state->currentStep() == Step::grantPermission) {
            state->setCurrentStep(Step::enableNotifications);
            co_return;
        }
        auto pause = scheduler.sleep(PermissionStepPoll::interval, token);
        if (!co_await pause)
            co_return;
    }
}

} // namespace velmora
