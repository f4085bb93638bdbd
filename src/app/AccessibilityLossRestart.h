#pragma once

#include "capture/CancelToken.h"
#include "capture/Scheduler.h"

#include <QCoroTask>
#include <QObject>
#include <QPointer>

#include <functional>
#include <optional>

namespace velmora {

class Accessibility;
class AppController;
class SerialExecutor;

// Brings reading back after the accessibility connection is lost for good (the desktop's
// accessibility bus died and a new one took its place): only a new process can connect to the
// new bus, so the application restarts itself in place.
//
// Asks every few seconds whether the connection is lost. Once it is, the restart waits until
// nothing is recording or cooling down (the meeting that was running is saved first as usual)
// and the desktop answers that accessibility is on again (so the new process starts
// monitoring), and it never comes sooner than a while after start-up: 30 s, doubling with each
// restart that followed a short run, up to 8 minutes, so a bus that keeps dying (or never
// answers) cannot make the application restart in a tight loop. Main thread only.
class AccessibilityLossRestart final : public QObject {
    Q_OBJECT
public:
    static constexpr Duration checkInterval = std::chrono::seconds(5);
    // No restart within this time of start-up, or longer after quick restarts.
    static constexpr Duration minimumUptime = std::chrono::seconds(30);
    static constexpr Duration maximumUptimeGuard = std::chrono::minutes(8);
    // A run at least this long counts as a fresh start for the next guard.
    static constexpr Duration longRun = std::chrono::minutes(10);
    // The exit status of a run that ends to be started again.
    static constexpr int restartExitCode = 75;

    AccessibilityLossRestart(Accessibility& accessibility, SerialExecutor& accessibilityQueue,
                             Scheduler& scheduler, const AppController& controller,
                             std::function<void(int quickRestarts)> restart, int quickRestartsBefore = 0,
                             QObject* parent = nullptr);
    ~AccessibilityLossRestart() override;

    // Starts watching; the restart is asked for once at most.
    void start();
    bool connectionLost() const { return lost_; }
    // How long this process runs at least before it restarts.
    Duration uptimeGuard() const;
    // What the process started by the restart passes as `quickRestartsBefore` (handed to the
    // restart callback).
    int quickRestartsAfterThisOne() const;

private:
    static QCoro::Task<> watch(QPointer<AccessibilityLossRestart> self, CancelToken token);
    bool mayRestartNow() const;

    Accessibility& accessibility_;
    SerialExecutor& accessibilityQueue_;
    Scheduler& scheduler_;
    const AppController& controller_;
    std::function<void(int)> restart_;
    int quickRestartsBefore_;
    Duration startedAt_;
    bool lost_ = false;
    std::optional<CancelToken> task_;
};

} // namespace velmora
