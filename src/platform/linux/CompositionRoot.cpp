#include "platform/linux/CompositionRoot.h"

#include "app/FixedOutputDirectory.h"
#include "app/FormatSettingsManager.h"
#include "app/NotificationManager.h"
#include "app/OutputDirectoryManager.h"
#include "app/ZoomManager.h"
#include "capture/QtScheduler.h"
#include "capture/SystemClock.h"
#include "library/MeetingHistoryManager.h"
#include "library/search/MeetingSearchIndex.h"
#include "platform/linux/AtspiAccessibility.h"
#include "platform/linux/LinuxFileRevealer.h"
#include "platform/linux/LinuxNotificationCenter.h"
#include "sources/BrowserProcessCache.h"
#include "sources/PIDCache.h"

namespace velmora {

CompositionRoot::CompositionRoot(std::optional<QString> outputDirectory)
    // ~/.config/velmora/velmora.conf
    : settings_(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("velmora"),
                QStringLiteral("velmora")),
      scheduler_(std::make_unique<QtScheduler>()), clock_(std::make_unique<SystemClock>()),
      accessibility_(std::make_unique<AtspiAccessibility>()),
      pidCache_(std::make_unique<PIDCache>(*accessibility_, *clock_)),
      browserCache_(std::make_unique<BrowserProcessCache>(*accessibility_, *clock_)) {
    if (outputDirectory)
        outputDirectory_ = std::make_unique<FixedOutputDirectory>(*outputDirectory);
    else
        outputDirectory_ = std::make_unique<OutputDirectoryManager>(settings_);
    formatSettings_ = std::make_unique<FormatSettingsManager>(settings_);
    zoom_ = std::make_unique<ZoomManager>(settings_);
    notificationCenter_ = std::make_unique<LinuxNotificationCenter>();
    fileRevealer_ = std::make_unique<LinuxFileRevealer>();
    notifications_ = std::make_unique<NotificationManager>(*notificationCenter_, *fileRevealer_);
    history_ = std::make_unique<MeetingHistoryManager>(outputDirectory_->outputDirectory());
    searchIndex_ = std::make_unique<MeetingSearchIndex>(
        history_->directory(), [history = history_.get()] { return history->records(); }, *scheduler_);
    appState_ = std::make_unique<AppState>();
    appState_->configureZoom(zoom_.get());
    // The meeting list is republished after every add, finalisation and deletion.
    QObject::connect(appState_.get(), &AppState::visibleMeetingsChanged, searchIndex_.get(),
                     &MeetingSearchIndex::historyChanged);
    searchIndex_->start();
    controller_ = std::make_unique<AppController>(AppControllerServices{
        *appState_, *outputDirectory_, *formatSettings_, *notifications_, *history_, *clock_,
        *accessibility_, accessibility_->queue(), *scheduler_, *pidCache_, *browserCache_});
}

// Members go in reverse order: the controller first, the accessibility thread near the end.
CompositionRoot::~CompositionRoot() = default;

} // namespace velmora
