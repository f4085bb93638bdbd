#pragma once

#include <QCoroTask>
#include <QObject>

#include <functional>

namespace velmora {

class AutostartManager;
class OnboardingProvider;

// When the application starts capturing, which window it shows, and how it ends.
// The first run shows only the setup guide and starts the controller when the guide ends;
// later runs start it at once and show the main window unless started at login. Requests to
// quit from the desktop only close the windows; the application ends only through `quit`,
// which finalises the open transcript first. Main thread only.
class ApplicationLifecycle final : public QObject {
    Q_OBJECT
public:
    // The windows, as the desktop composition provides them.
    struct Windows {
        std::function<void()> showMainWindow;
        std::function<void()> showGuide;
        std::function<void()> closeGuide;
        std::function<void()> closeAll;
    };
    // The capture controller's start and end.
    struct Controller {
        std::function<QCoro::Task<>()> initialize;
        std::function<QCoro::Task<>()> shutdown;
    };

    ApplicationLifecycle(OnboardingProvider& onboarding, AutostartManager& autostart, Windows windows,
                         Controller controller, std::function<void(int)> exit,
                         bool launchedAtLogin, QObject* parent = nullptr);

    QCoro::Task<> launch();
    // The guide's last step was closed.
    void guideFinished();
    // The user started Velmora again while it runs.
    void reopen();
    // Ctrl+Q, or the desktop asking the windows to go.
    void closeRequested();
    // "Quit Velmora", a termination signal or the end of the session: finalise, then exit 0.
    QCoro::Task<> quit();
    // As quit, but exits with `status` for the caller to start the application again.
    QCoro::Task<> restart(int status);

    bool controllerStarted() const { return controllerStarted_; }
    bool isQuitting() const { return quitting_; }

signals:
    // The controller is being initialised; from now on it may be used.
    void controllerStarting();

private:
    QCoro::Task<> startController();
    QCoro::Task<> finish(int status);

    OnboardingProvider& onboarding_;
    AutostartManager& autostart_;
    Windows windows_;
    Controller controller_;
    std::function<void(int)> exit_;
    bool launchedAtLogin_;
    bool controllerStarted_ = false;
    bool quitting_ = false;
    int exitStatus_ = 0;
};

} // namespace velmora
