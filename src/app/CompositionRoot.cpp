#include "app/CompositionRoot.h"

#include "app/AccessibilityLossRestart.h"
#include "app/FixedOutputDirectory.h"
#include "app/FormatSettingsManager.h"
#include "app/MeetingLibrary.h"
#include "app/NotificationManager.h"
#include "app/OutputDirectoryManager.h"
#include "app/SummarySettingsManager.h"
#include "app/ZoomManager.h"
#include "capture/QtScheduler.h"
#include "capture/SystemClock.h"
#include "library/MeetingNotesManager.h"
#include "library/search/MeetingSearchIndex.h"
#include "library/search/SearchSession.h"
#include "sources/BrowserProcessCache.h"
#include "sources/PIDCache.h"
#include "sources/SystemAXPermissionChecker.h"
#include "summary/ConfiguredSummaryService.h"

namespace velmora {

CompositionRoot::CompositionRoot(Platform platform, std::optional<QString> outputDirectory)
    : platform_(platform),
      // ~/.config/velmora/velmora.ini
      settings_(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("velmora"),
                QStringLiteral("velmora")),
      scheduler_(std::make_unique<QtScheduler>()), clock_(std::make_unique<SystemClock>()),
      pidCache_(std::make_unique<PIDCache>(platform_.accessibility, *clock_)),
      browserCache_(std::make_unique<BrowserProcessCache>(platform_.accessibility, *clock_)) {
    if (outputDirectory)
        outputDirectory_ = std::make_unique<FixedOutputDirectory>(*outputDirectory);
    else
        outputDirectory_ = std::make_unique<OutputDirectoryManager>(settings_);
    formatSettings_ = std::make_unique<FormatSettingsManager>(settings_);
    zoom_ = std::make_unique<ZoomManager>(settings_);
    notifications_ = std::make_unique<NotificationManager>(platform_.notificationCenter,
                                                           platform_.fileRevealer);
    notes_ = std::make_unique<MeetingNotesManager>();
    permissionChecker_ = std::make_unique<SystemAXPermissionChecker>(platform_.accessibility);
    library_ = std::make_unique<MeetingLibrary>(*outputDirectory_, MeetingLibrary::fileHistories());
    searchSession_ = std::make_unique<SearchSession>(*scheduler_);
    openSearchIndex();
    // Each output folder has an index of its own.
    QObject::connect(library_.get(), &MeetingLibrary::folderChanged, library_.get(),
                     [this] { openSearchIndex(); });
    appState_ = std::make_unique<AppState>();
    appState_->configureZoom(zoom_.get());
    AppControllerServices services{*appState_, *formatSettings_, *notifications_, *library_,
                                   *clock_, platform_.accessibility, platform_.accessibilityQueue,
                                   *scheduler_, *pidCache_, *browserCache_};
    const SummarySettingsManager summarySettings(settings_);
    services.summaryService = std::make_shared<ConfiguredSummaryService>(
        summarySettings.engine(),
        ConfiguredSummaryService::serverModels(summarySettings.modelServerURL(),
                                               summarySettings.modelName(), *scheduler_));
    controller_ = std::make_unique<AppController>(std::move(services));
}

// Members go in reverse order: the controller first. The platform outlives the root.
CompositionRoot::~CompositionRoot() = default;

Scheduler& CompositionRoot::scheduler() { return *scheduler_; }
const Clock& CompositionRoot::clock() const { return *clock_; }
NotificationService& CompositionRoot::notificationService() { return *notifications_; }

MeetingNotesProvider& CompositionRoot::notes() { return *notes_; }

FormatSettingsProvider& CompositionRoot::formatSettings() { return *formatSettings_; }

AXPermissionChecker& CompositionRoot::permissionChecker() { return *permissionChecker_; }

namespace {
// Tells the process a restart starts how many quick restarts came before it.
constexpr char quickRestartsVariable[] = "VELMORA_QUICK_RESTARTS";
} // namespace

std::unique_ptr<AccessibilityLossRestart>
CompositionRoot::restartOnAccessibilityLoss(std::function<void()> restart) {
    const int before = qEnvironmentVariableIntValue(quickRestartsVariable);
    qunsetenv(quickRestartsVariable);
    auto watch = std::make_unique<AccessibilityLossRestart>(
        platform_.accessibility, platform_.accessibilityQueue, *scheduler_, *controller_,
        [restart = std::move(restart)](int quickRestarts) {
            qputenv(quickRestartsVariable, QByteArray::number(quickRestarts));
            restart();
        },
        before);
    watch->start();
    return watch;
}

void CompositionRoot::openSearchIndex() {
    searchIndex_ = std::make_unique<MeetingSearchIndex>(
        library_->folder(), [library = library_.get()] { return library->records(); }, *scheduler_);
    const auto changed = [index = searchIndex_.get()] { index->historyChanged(); };
    QObject::connect(library_.get(), &MeetingLibrary::recordsChanged, searchIndex_.get(), changed);
    QObject::connect(library_.get(), &MeetingLibrary::recordAdded, searchIndex_.get(), changed);
    QObject::connect(library_.get(), &MeetingLibrary::recordFinalised, searchIndex_.get(), changed);
    QObject::connect(library_.get(), &MeetingLibrary::recordDeleted, searchIndex_.get(), changed);
    searchIndex_->start();
    searchSession_->setIndex(searchIndex_.get());
}

} // namespace velmora
