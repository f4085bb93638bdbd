#include "app/AppController.h"

#include "app/AppState.h"
#include "app/MeetingSummarizer.h"
#include "app/NotificationService.h"
#include "app/OutputDirectoryProvider.h"
#include "app/Logging.h"
#include "sources/ReaderEnvironment.h"
#include "capture/Scheduler.h"
#include "capture/SessionCoordinator.h"
#include "capture/VelmoraError.h"
#include "library/MeetingHistoryProvider.h"
#include "library/MeetingNotesManager.h"
#include "sources/Accessibility.h"
#include "sources/BrowserCaptionScanner.h"
#include "sources/BrowserProcessCache.h"
#include "sources/BrowserMeetCaptionReader.h"
#include "sources/BrowserTeamsCaptionReader.h"
#include "sources/BrowserZoomCaptionReader.h"
#include "sources/NativeAppCaptionMonitor.h"
#include "sources/NativeAppMonitorConfig.h"
#include "sources/TeamsCaptionReader.h"
#include "sources/ZoomCaptionReader.h"

#include <QFileInfo>

#include <filesystem>

namespace velmora {

namespace {

const QString permissionRevokedMessage = QStringLiteral(
    "Accessibility permission revoked. Turn on assistive technologies in your desktop's "
    "accessibility settings.");

// Creates the directory with its parents; the error's description on failure.
std::optional<QString> createDirectory(const QString& path) {
    std::error_code error;
    std::filesystem::create_directories(std::filesystem::path(path.toStdString()), error);
    if (error)
        return QString::fromStdString(error.message());
    if (!QFileInfo(path).isDir())
        return QStringLiteral("Not a directory");
    return std::nullopt;
}

} // namespace

AppController::AppController(AppControllerServices services, QObject* parent)
    : QObject(parent), services_(std::move(services)), appState_(services_.appState),
      summarizer_(std::make_unique<MeetingSummarizer>(appState_, services_.history,
                                                      services_.summaryService,
                                                      [this] { refreshMeetingList(); })) {}

AppController::~AppController() {
    for (auto* task : {&captureTask_, &cooldownTask_, &permissionCheckTask_, &durationTimer_}) {
        if (*task)
            (*task)->cancel();
    }
    for (auto& monitor : monitors_)
        monitor->stopMonitoring();
    if (browserScanner_)
        browserScanner_->stopMonitoring();
}

void AppController::later(std::function<void(AppController&)> work) {
    QPointer<AppController> self = this;
    services_.scheduler.schedule(Duration::zero(), [self, work = std::move(work)] {
        if (self)
            work(*self);
    });
}

// ---- start-up and monitoring ------------------------------------------------------------

QCoro::Task<> AppController::initialize() {
    refreshMeetingList();
    QPointer<AppController> self = this;
    services_.history.setOnRecordsChanged([self] {
        if (self)
            self->later([](AppController& controller) { controller.refreshMeetingList(); });
    });
    services_.history.startWatching();

    if (!services_.accessibility.isProcessTrusted()) {
        qCCritical(lcApp, "Accessibility permission denied");
        appState_.setPermissionGranted(false);
        appState_.setCaptureState(CaptureState::error(VelmoraError::accessibilityNotTrusted().message()));
        co_return;
    }
    qCInfo(lcApp, "Accessibility permission granted");
    appState_.setPermissionGranted(true);
    // Switches the running browsers' web accessibility on before the first scan.
    services_.browserCache.runningBrowsers();

    const QString directory = services_.outputDirectory.outputDirectory();
    if (const auto failure = createDirectory(directory)) {
        appState_.setCaptureState(
            CaptureState::error(QStringLiteral("Failed to create output directory: ") + *failure));
        co_return;
    }
    qCInfo(lcApp, "Output: %s", qUtf8Printable(directory));
    startMonitoring();
}

void AppController::wireMonitor(CaptionSourceMonitor& monitor, CaptionSource source) {
    QPointer<AppController> self = this;
    monitor.onCaptionsAppeared = [self, source] {
        if (self)
            self->later([source](AppController& c) { c.startCapture(source, std::nullopt); });
    };
    monitor.onCaptionsDisappeared = [self] {
        if (self)
            self->later([](AppController& c) { c.stopCapture(); });
    };
}

void AppController::startMonitoring() {
    if (appState_.captureState().kind() == CaptureState::Kind::capturing)
        return;
    auto makeMonitor = [this](NativeAppMonitorConfig config, CaptionSource source) {
        auto monitor = std::make_unique<NativeAppCaptionMonitor>(
            std::move(config), monitorPollInterval, services_.accessibility,
            services_.accessibilityQueue, services_.scheduler, services_.pidCache);
        wireMonitor(*monitor, source);
        monitor->startMonitoring();
        return monitor;
    };
    std::vector<std::unique_ptr<CaptionSourceMonitor>> monitors;
    monitors.push_back(makeMonitor(NativeAppMonitorConfig::teams(), CaptionSource::teams));
    monitors.push_back(makeMonitor(NativeAppMonitorConfig::zoom(), CaptionSource::zoom));

    const ReaderEnvironment env{services_.accessibility, services_.accessibilityQueue,
                                services_.scheduler, services_.clock};
    auto scanner = std::make_shared<BrowserCaptionScanner>(
        env, services_.browserCache, BrowserCaptionScanner::standardConfigs(), monitorPollInterval);
    QPointer<AppController> self = this;
    scanner->onSourceAppeared = [self](CaptionSource source, qint32 pid) {
        if (self)
            self->later([source, pid](AppController& c) { c.startCapture(source, pid); });
    };
    scanner->onSourceDisappeared = [self](CaptionSource) {
        if (self)
            self->later([](AppController& c) { c.stopCapture(); });
    };
    scanner->startMonitoring();
    browserScanner_ = std::move(scanner);
    monitors_ = std::move(monitors);

    startPermissionCheck();
    const auto kind = appState_.captureState().kind();
    if (kind != CaptureState::Kind::monitoring && kind != CaptureState::Kind::capturing &&
        kind != CaptureState::Kind::paused)
        appState_.setCaptureState(CaptureState::monitoring());
    qCInfo(lcApp, "Monitoring for captions (Teams + Zoom + Browser Zoom + Browser Meet + Browser Teams)...");
}

void AppController::stopMonitoring() {
    for (auto& monitor : monitors_)
        monitor->stopMonitoring();
    monitors_.clear();
    if (browserScanner_)
        browserScanner_->stopMonitoring();
    browserScanner_.reset();
    if (auto task = std::exchange(permissionCheckTask_, std::nullopt))
        task->cancel();
}

void AppController::refreshMeetingList() {
    const QList<MeetingRecord> records = services_.history.records();
    appState_.setVisibleMeetings(records);
    appState_.setTotalMeetingCount(records.size());
}

// ---- capture start ----------------------------------------------------------------------

std::shared_ptr<CaptionReader> AppController::createReader(CaptionSource source,
                                                            std::optional<qint32> browserPID) {
    const ReaderEnvironment env{services_.accessibility, services_.accessibilityQueue,
                                services_.scheduler, services_.clock};
    switch (source) {
    case CaptionSource::teams:
        return std::make_shared<TeamsCaptionReader>(env, services_.pidCache, readerPollInterval);
    case CaptionSource::zoom:
        return std::make_shared<ZoomCaptionReader>(env, services_.pidCache, readerPollInterval);
    case CaptionSource::browserZoom:
        if (browserPID)
            return std::make_shared<BrowserZoomCaptionReader>(env, *browserPID, readerPollInterval);
        break;
    case CaptionSource::browserMeet:
        if (browserPID)
            return std::make_shared<BrowserMeetCaptionReader>(env, *browserPID, readerPollInterval);
        break;
    case CaptionSource::browserTeams:
        if (browserPID)
            return std::make_shared<BrowserTeamsCaptionReader>(env, *browserPID, readerPollInterval);
        break;
    }
    return nullptr;
}

QCoro::Task<> AppController::startCapture(CaptionSource source, std::optional<qint32> browserPID) {
    if (appState_.captureState().kind() == CaptureState::Kind::capturing)
        co_return;
    if (!hasRequestedNotificationPermission_) {
        hasRequestedNotificationPermission_ = true;
        auto request = services_.notifications.requestPermission();
        co_await request;
        if (appState_.captureState().kind() == CaptureState::Kind::capturing)
            co_return;
    }
    // The reader comes first: a request that cannot be served must not stop monitoring.
    std::shared_ptr<CaptionReader> reader = createReader(source, browserPID);
    if (!reader)
        co_return;
    stopMonitoring();

    std::shared_ptr<TranscriptWriting> writer = handleSessionResume(source);
    const bool resumed = writer != nullptr;
    if (!resumed) {
        auto finalizePending = finalizePendingWriter(source);
        co_await finalizePending;
        writer = services_.makeWriter(services_.outputDirectory.outputDirectory(), services_.clock,
                                      CaptionSources::meetingTitle(source),
                                      services_.formatSettings.formatters());
    }
    currentWriter_ = writer;

    QPointer<AppController> self = this;
    auto coordinator = std::make_shared<SessionCoordinator>(
        reader, writer, services_.clock, [self](const CaptionSnapshot& snapshot) {
            if (!self)
                return;
            self->appState_.setLineCount(self->appState_.lineCount() + snapshot.size());
            self->appState_.appendLiveEntries(snapshot);
        });
    // The previous coordinator wrote into the resumed writer.
    if (resumed && coordinator_)
        coordinator->continueAfter(coordinator_->lastSnapshot());
    coordinator_ = coordinator;
    currentSource_ = source;

    if (resumed) {
        if (appState_.captureState().kind() == CaptureState::Kind::monitoring)
            appState_.setCaptureState(CaptureState::capturing());
    } else {
        auto setup = setupNewSession(source, writer);
        if (!co_await setup)
            co_return;
    }
    startDurationTimer();
    qCInfo(lcApp, "Starting %s caption capture, output: %s",
           qUtf8Printable(CaptionSources::rawValue(source)),
           qUtf8Printable(services_.outputDirectory.outputDirectory()));
    CancelToken token;
    captureTask_ = token;
    runCapture(this, coordinator, source, token);
}

QCoro::Task<bool> AppController::setupNewSession(CaptionSource source,
                                                 std::shared_ptr<TranscriptWriting> writer) {
    appState_.startCapture();
    const QDateTime now = services_.clock.now();
    sessionStartTime_ = now;
    std::optional<QString> failure;
    std::optional<QString> expectedFilename;
    std::optional<QString> transcriptPath;
    try {
        auto setStart = writer->setStartTimeIfNeeded(now);
        co_await setStart;
        auto create = writer->createMissingFiles();
        co_await create;
        auto expected = writer->expectedFilename();
        expectedFilename = co_await expected;
        auto path = writer->transcriptPath();
        transcriptPath = co_await path;
    } catch (const std::exception& error) {
        failure = QString::fromUtf8(error.what());
    }
    if (failure) {
        qCCritical(lcApp, "Failed to create transcript file: %s", qUtf8Printable(*failure));
        cleanupAfterCaptureFailure();
        appState_.setCaptureState(
            CaptureState::error(QStringLiteral("Failed to create transcript file: ") + *failure));
        restartMonitoringAfterFailure();
        co_return false;
    }
    appState_.setCaptionSourceName(CaptionSources::displayName(source));
    appState_.setOutputFilename(expectedFilename.value_or(QString()));

    MeetingRecord record;
    record.id = QUuid::createUuid();
    record.date = sessionStartTime_.value_or(now);
    record.duration = 0;
    record.source = source;
    record.transcriptPath = transcriptPath;
    services_.history.addRecord(record);
    currentLiveMeetingRecordID_ = record.id;
    appState_.setCurrentLiveMeetingID(record.id);
    refreshMeetingList();
    co_return true;
}

QCoro::Task<> AppController::runCapture(QPointer<AppController> self,
                                        std::shared_ptr<SessionCoordinator> coordinator,
                                        CaptionSource source, CancelToken token) {
    std::optional<QString> failureLog;
    std::optional<QString> failureState;
    std::optional<SessionStopReason> reason;
    try {
        auto session = coordinator->start();
        reason = co_await session;
    } catch (const VelmoraError& error) {
        failureLog = QStringLiteral("VelmoraError: ") + error.message();
        failureState = error.message();
    } catch (const std::exception& error) {
        const QString description = QString::fromUtf8(error.what());
        failureLog = QStringLiteral("Unexpected error: ") + description;
        failureState = QStringLiteral("Unexpected error: ") + description;
    }
    // A stopped capture is wound up by stopCapture itself.
    if (!self || token.isCancelled())
        co_return;
    if (failureLog) {
        self->onCaptureFailed(*failureLog, *failureState);
        co_return;
    }
    qCInfo(lcApp, "Coordinator.start() returned .%s (%s)",
           qUtf8Printable(SessionStopReasons::rawValue(*reason)),
           qUtf8Printable(CaptionSources::rawValue(source)));
    auto finish = self->finishCapture(source, *reason);
    co_await finish;
}

void AppController::onCaptureFailed(const QString& logLine, const QString& stateMessage) {
    qCCritical(lcApp, "%s", qUtf8Printable(logLine));
    cleanupAfterCaptureFailure();
    appState_.setCaptureState(CaptureState::error(stateMessage));
    restartMonitoringAfterFailure();
}

void AppController::restartMonitoringAfterFailure() {
    // Restarted monitors report visible captions at once; without a pause a failure that
    // persists (an unwritable folder) would be retried in a tight loop. The pause also keeps
    // the error readable for a moment.
    QPointer<AppController> self = this;
    services_.scheduler.schedule(monitorPollInterval, [self] {
        if (self && !self->coordinator_)
            self->startMonitoring();
    });
}

void AppController::cleanupAfterCaptureFailure() {
    if (auto timer = std::exchange(durationTimer_, std::nullopt))
        timer->cancel();
    resetCaptureState(false);
    appState_.setLiveTranscriptEntries({});
    appState_.setLiveTranscriptVersion(appState_.liveTranscriptVersion() + 1);
}

void AppController::resetCaptureState(bool preservePending) {
    coordinator_.reset();
    captureTask_.reset(); // dropped, not cancelled
    currentWriter_.reset();
    currentSource_.reset();
    sessionStartTime_.reset();
    if (auto task = std::exchange(cooldownTask_, std::nullopt))
        task->cancel();
    if (preservePending)
        return;
    pendingWriter_.reset();
    pendingSource_.reset();
    pendingStartTime_.reset();
    currentLiveMeetingRecordID_.reset();
    appState_.setCurrentLiveMeetingID(std::nullopt);
}

// ---- periodic tasks -----------------------------------------------------------------------

void AppController::startDurationTimer() {
    if (auto timer = std::exchange(durationTimer_, std::nullopt))
        timer->cancel();
    CancelToken token;
    durationTimer_ = token;
    durationLoop(this, token);
}

QCoro::Task<> AppController::durationLoop(QPointer<AppController> self, CancelToken token) {
    Scheduler& scheduler = self->services_.scheduler;
    while (true) {
        auto tick = scheduler.sleep(std::chrono::seconds(1), token);
        co_await tick;
        if (token.isCancelled() || !self)
            co_return;
        if (self->sessionStartTime_) {
            const qint64 ms = self->sessionStartTime_->msecsTo(self->services_.clock.now());
            self->appState_.setSessionDuration(double(ms) / 1000.0);
        }
    }
}

void AppController::startPermissionCheck() {
    if (auto task = std::exchange(permissionCheckTask_, std::nullopt))
        task->cancel();
    CancelToken token;
    permissionCheckTask_ = token;
    permissionLoop(this, token);
}

QCoro::Task<> AppController::permissionLoop(QPointer<AppController> self, CancelToken token) {
    Scheduler& scheduler = self->services_.scheduler;
    while (true) {
        auto pause = scheduler.sleep(permissionCheckInterval, token);
        co_await pause;
        if (token.isCancelled() || !self)
            co_return;
        if (self->services_.accessibility.isProcessTrusted())
            continue;
        qCCritical(lcApp, "Accessibility permission revoked");
        self->stopMonitoring();
        self->appState_.setPermissionGranted(false);
        self->appState_.setCaptureState(CaptureState::error(permissionRevokedMessage));
        co_return;
    }
}

// ---- capture end, cooldown and resume -----------------------------------------------------

QCoro::Task<> AppController::finishCapture(CaptionSource source, SessionStopReason reason) {
    if (!coordinator_)
        co_return;
    if (auto timer = std::exchange(durationTimer_, std::nullopt))
        timer->cancel();
    pendingWriter_ = std::exchange(currentWriter_, nullptr);
    pendingSource_ = currentSource_.value_or(source);
    pendingStartTime_ = sessionStartTime_;
    currentSource_.reset();
    sessionStartTime_.reset();
    startCooldown();
    appState_.setCurrentLiveMeetingID(std::nullopt);
    if (appState_.captureState().isCapturingOrPaused())
        appState_.setCaptureState(CaptureState::stopped());
    qCInfo(lcApp, "Capture finished (reason: %s), cooldown started",
           qUtf8Printable(SessionStopReasons::rawValue(reason)));
    startMonitoring();
}

void AppController::startCooldown() {
    if (auto task = std::exchange(cooldownTask_, std::nullopt))
        task->cancel();
    CancelToken token;
    cooldownTask_ = token;
    cooldownLoop(this, token);
}

QCoro::Task<> AppController::cooldownLoop(QPointer<AppController> self, CancelToken token) {
    auto pause = self->services_.scheduler.sleep(cooldownDuration, token);
    if (!co_await pause || !self)
        co_return;
    auto expire = self->expireCooldown();
    co_await expire;
}

QCoro::Task<> AppController::expireCooldown() {
    if (!pendingWriter_)
        co_return;
    auto writer = std::exchange(pendingWriter_, nullptr);
    pendingSource_.reset();
    pendingStartTime_.reset();
    cooldownTask_.reset(); // this is the running task: not cancelled
    auto finalize = finalizeWriter(writer, "Writer finalize error on cooldown: %s");
    if (!co_await finalize)
        co_return;
    qCInfo(lcApp, "Cooldown expired, writer finalized");
    auto announce = announceSavedAndFinalizeRecord(writer);
    co_await announce;
}

std::shared_ptr<TranscriptWriting> AppController::handleSessionResume(CaptionSource source) {
    if (!pendingWriter_ || !pendingSource_ || *pendingSource_ != source)
        return nullptr;
    if (auto task = std::exchange(cooldownTask_, std::nullopt))
        task->cancel();
    auto writer = std::exchange(pendingWriter_, nullptr);
    pendingSource_.reset();
    sessionStartTime_ = std::exchange(pendingStartTime_, std::nullopt);
    appState_.setCurrentLiveMeetingID(currentLiveMeetingRecordID_);
    qCInfo(lcApp, "Resuming %s session with existing writer",
           qUtf8Printable(CaptionSources::rawValue(source)));
    return writer;
}

QCoro::Task<> AppController::finalizePendingWriter(CaptionSource newSource) {
    if (!pendingWriter_)
        co_return;
    qCInfo(lcApp, "Different source (%s vs pending %s), finalizing pending writer",
           qUtf8Printable(CaptionSources::rawValue(newSource)),
           pendingSource_ ? qUtf8Printable(CaptionSources::rawValue(*pendingSource_)) : "nil");
    if (auto task = std::exchange(cooldownTask_, std::nullopt))
        task->cancel();
    pendingSource_.reset();
    pendingStartTime_.reset();
    auto writer = pendingWriter_;
    auto finalize = finalizeWriter(writer, "Pending writer finalize error: %s");
    if (co_await finalize)
        finalizeMeetingRecord();
    if (pendingWriter_ == writer)
        pendingWriter_.reset();
}

QCoro::Task<bool> AppController::finalizeWriter(std::shared_ptr<TranscriptWriting> writer,
                                                const char* errorLog) {
    std::optional<QString> failure;
    try {
        auto finalize = writer->finalize();
        co_await finalize;
    } catch (const std::exception& error) {
        failure = QString::fromUtf8(error.what());
    }
    if (failure)
        qCCritical(lcApp, errorLog, qUtf8Printable(*failure));
    co_return !failure;
}

QCoro::Task<> AppController::stopCapture() {
    qCInfo(lcApp, "Stopping capture...");
    if (auto timer = std::exchange(durationTimer_, std::nullopt))
        timer->cancel();
    if (captureTask_)
        captureTask_->cancel();
    if (auto coordinator = coordinator_) {
        auto stop = coordinator->stop();
        co_await stop;
    }
    // A writer still in its cooldown is finalised too: dropping it would leave its transcript
    // unfinished and its record without a duration.
    const char* errorLog = "Writer finalize error: %s";
    std::shared_ptr<TranscriptWriting> writer = currentWriter_;
    if (!writer && pendingWriter_) {
        writer = pendingWriter_;
        errorLog = "Pending writer finalize error: %s";
    }
    if (writer) {
        auto finalize = finalizeWriter(writer, errorLog);
        if (co_await finalize) {
            qCInfo(lcApp, "Writer finalized (explicit stop)");
            auto announce = announceSavedAndFinalizeRecord(writer);
            co_await announce;
        }
    }
    resetCaptureState(false);
    appState_.setLiveTranscriptEntries({});
    appState_.setLiveTranscriptVersion(appState_.liveTranscriptVersion() + 1);
    if (appState_.captureState().isCapturingOrPaused())
        appState_.setCaptureState(CaptureState::stopped());
    qCInfo(lcApp, "Capture stopped");
    startMonitoring();
}

QCoro::Task<> AppController::announceSavedAndFinalizeRecord(
    std::shared_ptr<TranscriptWriting> writer) {
    auto pathTask = writer->transcriptPath();
    if (const auto path = co_await pathTask) {
        auto show = services_.notifications.showTranscriptSaved(*path);
        co_await show;
    }
    finalizeMeetingRecord();
}

void AppController::finalizeMeetingRecord() {
    if (!currentLiveMeetingRecordID_)
        return;
    const QUuid id = *currentLiveMeetingRecordID_;
    const QList<MeetingRecord> records = services_.history.records();
    const auto found = std::find_if(records.cbegin(), records.cend(),
                                    [&](const MeetingRecord& r) { return r.id == id; });
    if (found == records.cend()) {
        qCCritical(lcApp, "Could not find meeting record %s to finalize",
                   qUtf8Printable(id.toString(QUuid::WithoutBraces).toUpper()));
        currentLiveMeetingRecordID_.reset();
        appState_.setCurrentLiveMeetingID(std::nullopt);
        return;
    }
    MeetingRecord record = *found;
    record.duration = appState_.sessionDuration();
    if (!record.notesPath && record.transcriptPath) {
        const QString notes = MeetingNotesManager::notesPath(*record.transcriptPath);
        if (QFileInfo::exists(notes))
            record.notesPath = notes;
    }
    services_.history.updateRecord(record);
    appState_.setLastCompletedMeetingID(id);
    appState_.setCurrentLiveMeetingID(std::nullopt);
    currentLiveMeetingRecordID_.reset();
    refreshMeetingList();
    qCInfo(lcApp, "Meeting record finalized: %s, duration: %fs",
           qUtf8Printable(CaptionSources::rawValue(record.source)), record.duration);
    emit meetingFinalized(record);
}

QCoro::Task<> AppController::shutdown() {
    services_.history.stopWatching();
    summarizer_->cancelAll();
    for (auto* task : {&durationTimer_, &permissionCheckTask_}) {
        if (auto token = std::exchange(*task, std::nullopt))
            token->cancel();
    }
    // No capture may start while the transcripts are being closed.
    stopMonitoring();
    // Captions read since the last flush live only in the coordinator: end the session so
    // they reach the file before it is finalised. The capture task must not start a cooldown.
    if (currentWriter_ && coordinator_) {
        if (captureTask_)
            captureTask_->cancel();
        auto coordinator = coordinator_;
        auto stop = coordinator->stop();
        co_await stop;
    }
    std::shared_ptr<TranscriptWriting> writer = currentWriter_ ? currentWriter_ : pendingWriter_;
    if (writer) {
        auto finalize = finalizeWriter(writer, "Writer finalize error during shutdown: %s");
        if (co_await finalize) {
            finalizeMeetingRecord();
            qCInfo(lcApp, "Writer finalized during shutdown");
        }
    }
    resetCaptureState(false);
}

void AppController::summarizeMeeting(const MeetingRecord& record,
                                     const std::optional<QString>& notes) {
    summarizer_->summarizeMeeting(record, notes);
}

void AppController::deleteMeeting(const MeetingRecord& record) {
    services_.history.deleteRecord(record);
    refreshMeetingList();
}

} // namespace velmora
