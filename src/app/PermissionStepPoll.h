#pragma once

#include "capture/CancelToken.h"
#include "capture/Scheduler.h"

#include <QCoroTask>
#include <QObject>
#include <QPointer>

#include <optional>

namespace velmora {

class OnboardingState;

// While the guide shows its permission step, asks every second whether accessibility is on and,
// once it is, moves straight to the notifications step. Stops when the step changes or the poll
// is destroyed (the guide's window closed).
class PermissionStepPoll final : public QObject {
    Q_OBJECT
public:
    static constexpr Duration interval = std::chrono::seconds(1);

    PermissionStepPoll(OnboardingState& state, Scheduler& scheduler, QObject* parent = nullptr);
    ~PermissionStepPoll() override;

    bool isPolling() const { return token_.has_value(); }

private:
    void follow();
    void stop();
    static QCoro::Task<> poll(QPointer<OnboardingState> state, Scheduler& scheduler, CancelToken token);

    OnboardingState& state_;
    Scheduler& scheduler_;
    std::optional<CancelToken> token_;
};

} // namespace velmora
