#pragma once

#include "app/AppController.h"
#include "app/AppState.h"
#include "app/Platform.h"

#include <QSettings>

#include <functional>
#include <memory>
#include <optional>

namespace velmora {

class AXPermissionChecker;
class AccessibilityLossRestart;
class BrowserProcessCache;
class Clock;
class FormatSettingsProvider;
class FormatSettingsManager;
class FileRevealer;
class MeetingLibrary;
class MeetingNotesManager;
class MeetingNotesProvider;
class MeetingSearchIndex;
class NotificationManager;
class NotificationService;
class OutputDirectoryProvider;
class PIDCache;
class QtScheduler;
class Scheduler;
class SearchSession;
class SystemClock;
class ZoomManager;

// Creates every long-lived object of the application once, on the platform's services, and
// hands them to their users. The tray application and `velmora --headless` share it; tests can
// build it on fake platforms.
class CompositionRoot {
public:
    // `outputDirectory` overrides the configured folder for this run.
    explicit CompositionRoot(Platform platform,
                             std::optional<QString> outputDirectory = std::nullopt);
    ~CompositionRoot();

    AppState& appState() { return *appState_; }
    AppController& controller() { return *controller_; }
    OutputDirectoryProvider& outputDirectory() { return *outputDirectory_; }
    MeetingLibrary& library() { return *library_; }
    QSettings& settings() { return settings_; }
    MeetingSearchIndex& searchIndex() { return *searchIndex_; }
    Platform& platform() { return platform_; }
    const Clock& clock() const;
    NotificationService& notificationService();
    Scheduler& scheduler();
    MeetingNotesProvider& notes();
    FileRevealer& fileRevealer() { return platform_.fileRevealer; }
    NotificationCenterProviding& notificationCenter() { return platform_.notificationCenter; }
    FormatSettingsProvider& formatSettings();
    AXPermissionChecker& permissionChecker();
    // Watches for the accessibility connection to be lost for good and then, once nothing is
    // recording, calls `restart` (which ends the run to start the process again).
    std::unique_ptr<AccessibilityLossRestart> restartOnAccessibilityLoss(std::function<void()> restart);
    // The window's search; follows the index when the output folder changes.
    SearchSession& searchSession() { return *searchSession_; }

private:
    // The index of the library's current folder, following its records.
    void openSearchIndex();

    Platform platform_;
    QSettings settings_;
    std::unique_ptr<QtScheduler> scheduler_;
    std::unique_ptr<SystemClock> clock_;
    std::unique_ptr<PIDCache> pidCache_;
    std::unique_ptr<BrowserProcessCache> browserCache_;
    std::unique_ptr<OutputDirectoryProvider> outputDirectory_;
    std::unique_ptr<FormatSettingsManager> formatSettings_;
    std::unique_ptr<ZoomManager> zoom_;
    std::unique_ptr<NotificationManager> notifications_;
    std::unique_ptr<AXPermissionChecker> permissionChecker_;
    std::unique_ptr<MeetingNotesManager> notes_;
    std::unique_ptr<MeetingLibrary> library_;
    std::unique_ptr<SearchSession> searchSession_;
    std::unique_ptr<MeetingSearchIndex> searchIndex_; // reads the library's history
    std::unique_ptr<AppState> appState_;
    std::unique_ptr<AppController> controller_;
};

} // namespace velmora
