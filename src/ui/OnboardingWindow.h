#pragma once

#include "app/OnboardingState.h"

#include <QCoroTask>
#include <QPointer>
#include <QWidget>

#include <memory>
#include <vector>

class QBoxLayout;
class QLabel;
class QPushButton;

namespace velmora {

class DesktopServices;
class LanguageModel;
class PermissionStepPoll;
class Scheduler;

// "Velmora Setup": the first-run guide, one step of the onboarding state at a time.
// While the permission step shows, accessibility is checked every second and the guide
// moves on by itself once it is on.
class OnboardingWindow final : public QWidget {
    Q_OBJECT
public:
    static constexpr QSize fixedContentSize{544, 464};

    OnboardingWindow(OnboardingState& state, Scheduler& scheduler, DesktopServices& desktop,
                     std::vector<std::shared_ptr<LanguageModel>> models, QWidget* parent = nullptr);
    ~OnboardingWindow() override;

    // Brings the window forward, at the state's current step.
    void showAndRaise();

signals:
    // "Close" on the last step.
    void completed();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void showStep();
    void clearStep();
    void addHeader(const QString& iconName, const QString& title, const QString& text);
    QPushButton* addButton(const QString& text, bool prominent, std::function<void()> onClick);
    void addTips();
    void turnOnAccessibility();
    QCoro::Task<> requestNotificationsThenAdvance();
    QCoro::Task<> describeModelServer(QPointer<QLabel> label);

    OnboardingState& state_;
    Scheduler& scheduler_;
    DesktopServices& desktop_;
    std::vector<std::shared_ptr<LanguageModel>> models_;
    std::unique_ptr<PermissionStepPoll> poll_;
    QWidget* page_ = nullptr;
    QBoxLayout* pageLayout_ = nullptr;
    QBoxLayout* buttons_ = nullptr;
    QLabel* accessibilityResult_ = nullptr;
    bool pageFilled_ = false;
};

} // namespace velmora
