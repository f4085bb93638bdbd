#pragma once

#include <QCoroTask>
#include <QObject>

namespace velmora {

class AXPermissionChecker;
class NotificationService;
class OnboardingProvider;
class SerialExecutor;

// Which step of the first-run guide is shown and whether the guide is finished.
// Main thread only; the signals fire on real changes only. Trust is asked on the accessibility
// queue (`checkTrust`); the steps go by the last answer, so nothing here ever blocks.
class OnboardingState final : public QObject {
    Q_OBJECT
public:
    enum class Step {
        welcome = 0,
        whyPermission = 1,
        grantPermission = 2,
        enableNotifications = 3,
        enableLanguageModel = 4,
        captionTips = 5,
        done = 6,
    };
    Q_ENUM(Step)

    OnboardingState(AXPermissionChecker& permissionChecker, SerialExecutor& accessibilityQueue,
                    OnboardingProvider& onboardingProvider, NotificationService& notificationService,
                    QObject* parent = nullptr);

    Step currentStep() const { return currentStep_; }
    // Also used by the permission step's trust poll, which jumps past itself directly.
    void setCurrentStep(Step step);
    bool isComplete() const { return isComplete_; }

    // Asks the permission checker on the accessibility queue and remembers the answer.
    QCoro::Task<bool> checkTrust();
    // The last answer of `checkTrust` (false before the first).
    bool isTrusted() const { return trusted_; }

    // Next step; the permission step is skipped when access was granted at the last check. Reaching
    // `done` completes the guide and remembers that.
    void advance();
    // After completion only `welcome` and `captionTips` re-open the guide.
    void skipToStep(Step step);

    AXPermissionChecker& permissionChecker() const { return permissionChecker_; }
    NotificationService& notificationService() const { return notificationService_; }

signals:
    void currentStepChanged();
    void isCompleteChanged();

private:
    void setComplete(bool complete);

    Step currentStep_ = Step::welcome;
    bool isComplete_ = false;
    bool trusted_ = false;
    AXPermissionChecker& permissionChecker_;
    SerialExecutor& accessibilityQueue_;
    OnboardingProvider& onboardingProvider_;
    NotificationService& notificationService_;
};

} // namespace velmora
