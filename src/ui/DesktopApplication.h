#pragma once

#include "app/ApplicationLifecycle.h"
#include "app/OnboardingManager.h"
#include "app/OnboardingState.h"
#include "app/TrayActions.h"
#include "summary/CombinedSummaryExporter.h"

#include <QObject>

#include <functional>
#include <memory>

namespace velmora {

class AutostartManager;
class CompositionRoot;
class DesktopServices;
class OnboardingWindow;
class SystemAXPermissionChecker;
class TrayIcon;

// The tray application: the tray item, the setup guide and the main window around the
// composition root's objects, started and ended by the application lifecycle.
//
// With no tray host on the desktop the main window is the way in: closing the last window asks
// whether to stop recording and quit, so Velmora never runs on invisibly.
class DesktopApplication final : public QObject {
    Q_OBJECT
public:
    struct Options {
        bool launchedAtLogin = false;
        // Whether the desktop shows tray items; asked at every decision, a host may come later.
        std::function<bool()> trayAvailable;
    };

    DesktopApplication(CompositionRoot& root, DesktopServices& desktop, AutostartManager& autostart,
                       Options options, QObject* parent = nullptr);
    ~DesktopApplication() override;

    // Shows the main window; until set, "Open Velmora" shows the setup guide.
    void setMainWindowOpener(std::function<void()> open) { openMainWindow_ = std::move(open); }

    QCoro::Task<> start();
    ApplicationLifecycle& lifecycle() { return *lifecycle_; }
    OnboardingState& onboarding() { return *onboardingState_; }
    TrayIcon* trayIcon() { return tray_.get(); }
    OnboardingWindow& guideWindow();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showMainWindow();
    void showGuide();
    void closeGuide();
    void closeAllWindows();
    // With no tray: the last window was closed.
    void askWhetherToQuit();
    bool hasTray() const { return options_.trayAvailable && options_.trayAvailable(); }

    CompositionRoot& root_;
    DesktopServices& desktop_;
    Options options_;
    std::unique_ptr<SystemAXPermissionChecker> permissionChecker_;
    OnboardingManager onboardingManager_;
    std::unique_ptr<OnboardingState> onboardingState_;
    CombinedSummaryExporter exporter_;
    std::unique_ptr<TrayActions> actions_;
    std::unique_ptr<TrayIcon> tray_;
    std::unique_ptr<OnboardingWindow> guide_;
    std::unique_ptr<ApplicationLifecycle> lifecycle_;
    std::function<void()> openMainWindow_;
    bool asking_ = false;
};

} // namespace velmora
