#include "app/ApplicationLifecycle.h"

#include "app/AutostartManager.h"
#include "app/Logging.h"
#include "app/OnboardingProvider.h"
#include "capture/FileError.h"

namespace velmora {

ApplicationLifecycle::ApplicationLifecycle(OnboardingProvider& onboarding, AutostartManager& autostart,
                                           Windows windows, Controller controller,
                                           std::function<void(int)> exit, bool launchedAtLogin,
                                           QObject* parent)
    : QObject(parent), onboarding_(onboarding), autostart_(autostart), windows_(std::move(windows)),
      controller_(std::move(controller)), exit_(std::move(exit)), launchedAtLogin_(launchedAtLogin) {}

QCoro::Task<> ApplicationLifecycle::launch() {
    if (!onboarding_.hasCompletedOnboarding()) {
        // Nothing is captured before the user has been through the guide.
        windows_.showGuide();
        co_return;
    }
    auto start = startController();
    co_await start;
    if (!launchedAtLogin_ && !quitting_)
        windows_.showMainWindow();
}

QCoro::Task<> ApplicationLifecycle::startController() {
    if (controllerStarted_ || quitting_)
        co_return;
    controllerStarted_ = true;
    emit controllerStarting();
    auto initialize = controller_.initialize();
    co_await initialize;
}

void ApplicationLifecycle::guideFinished() {
    windows_.closeGuide();
    if (controllerStarted_)
        return; // the guide was opened again from the settings
    // Starting at login is on once the user has set Velmora up; they can turn it off.
    try {
        autostart_.setEnabled(true);
    } catch (const FileError& error) {
        qCWarning(lcApp, "Could not add Velmora to the login items: %s", error.what());
    }
    startController();
}

void ApplicationLifecycle::reopen() {
    // Before the first guide is finished there is nothing else to show.
    if (!controllerStarted_ && !onboarding_.hasCompletedOnboarding())
        windows_.showGuide();
    else
        windows_.showMainWindow();
}

void ApplicationLifecycle::closeRequested() { windows_.closeAll(); }

QCoro::Task<> ApplicationLifecycle::quit() { return finish(0); }

QCoro::Task<> ApplicationLifecycle::restart(int status) { return finish(status); }

QCoro::Task<> ApplicationLifecycle::finish(int status) {
    if (quitting_) {
        // A quit asked for while a restart finalises wins: the user wants it gone.
        if (status == 0)
            exitStatus_ = 0;
        co_return;
    }
    quitting_ = true;
    exitStatus_ = status;
    windows_.closeAll();
    if (controllerStarted_) {
        auto shutdown = controller_.shutdown();
        co_await shutdown;
    }
    exit_(exitStatus_);
}

} // namespace velmora
