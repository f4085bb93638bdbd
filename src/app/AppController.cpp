#include "app/AppController.h"

#include "app/AppState.h"
#include "app/MeetingSummarizer.h"
#include "app/Logging.h"
#include "app/MeetingLibrary.h"
#include "app/NotificationService.h"
#include "app/TranscriptRecovery.h"
#include "capture/FileError.h"
#include "capture/PrivateFiles.h"
#include "capture/Scheduler.h"
#include "capture/SessionCoordinator.h"
#include "capture/VelmoraError.h"
#include "library/MeetingNotesManager.h"
#include "sources/Accessibility.h"
#include "sources/BrowserCaptionScanner.h"
#include "sources/BrowserMeetCaptionReader.h"
#include "sources/BrowserProcessCache.h"
#include "sources/BrowserTeamsCaptionReader.h"
#include "sources/BrowserZoomCaptionReader.h"
#include "sources/NativeAppCaptionMonitor.h"
#include "sources/NativeAppMonitorConfig.h"
#include "sources/ReaderEnvironment.h"
#include "sources/TeamsCaptionReader.h"
#include "sources/ZoomCaptionReader.h"

#include <QDir>
#include <QFileInfo>

namespace velmora {

namespace {

const QString permissionRevokedMessage = QStringLiteral(
    "Accessibility permission revoked. Turn on assistive technologies in your desktop's "
    "accessibility settings.");

// Creates the directory with its parents (private, as the meetings in it); the error's
// description on failure.
std::optional<QString> createDirectory(const QString& path) {
    try {
        PrivateFiles::createDirectory(path);
    } catch (const FileError& error) {
        return error.message();
    }
    return std::nullopt;
}

void cancel(std::optional<CancelToken>& task) {
    if (auto token = std::exchange(task, std::nullopt))
        token->cancel();
}

} // namespace

AppController::AppController(AppControllerServices services, QObject* parent)
    : QObject(parent), services_(std::move(services)), appState_(services_.appState),
      summarizer_(std::make_unique<MeetingSummarizer>(
          appState_, [library = &services_.library] { return library->history(); },
          services_.summaryService, [this] { refreshMeetingList(); })) {
    QPointer<AppController> self = this;
    connect(&services_.library, &MeetingLibrary::recordsChanged, this, [self] {
        if (self)
            self->later([](AppController& controller) { controller.refreshMeetingList(); });
    });
}

AppController::~AppController() {
    for (auto* task : {&captureTask_, &cooldownTask_, &permissionCheckTask_, &durationTimer_,
                       &unfinishedRetryTask_})
        cancel(*task);
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

void AppController::setPhase(CapturePhase phase) {
    // Nothing leaves shutdown.
    if (phase_ != CapturePhase::shuttingDown)
        phase_ = phase;
}

std::optional<CaptionSource> AppController::currentSource() const {
    if ((phase_ == CapturePhase::starting || phase_ == CapturePhase::capturing) && meeting_)
        return meeting_->source;
    return std::nullopt;
}

std::optional<QUuid> AppController::currentLiveMeetingRecordID() const {
    return meeting_ ? meeting_->recordId : std::nullopt;
}

// ---- start-up and monitoring ------------------------------------------------------------

QCoro::Task<> AppController::initialize() {
    if (refusesRequests())
        co_return;
    MeetingLibrary& library = services_.library;
    library.refreshFolder();
    recoverTranscripts();
    refreshMeetingList();
    library.startWatching();

    Accessibility& ax = services_.accessibility;
    auto trustCheck = services_.accessibilityQueue.run([&ax] { return ax.isProcessTrusted(); });
    if (!co_await trustCheck) {
        qCCritical(lcApp, "Accessibility permission denied");
        appState_.setPermissionGranted(false);
        appState_.setCaptureState(CaptureState::error(VelmoraError::accessibilityNotTrusted().message()));
        co_return;
    }
    qCInfo(lcApp, "Accessibility permission granted");
    appState_.setPermissionGranted(true);
    // Switches the running browsers' web accessibility on before the first scan.
    BrowserProcessCache& browsers = services_.browserCache;
    auto warmUp = services_.accessibilityQueue.run([&browsers] { browsers.runningBrowsers(); });
    co_await warmUp;
    if (refusesRequests())
        co_return; // shut down meanwhile

    const QString directory = library.folder();
    if (const auto failure = createDirectory(directory)) {
        appState_.setCaptureState(
            CaptureState::error(QStringLiteral("Failed to create output directory: ") + *failure));
        co_return;
    }
    qCInfo(lcApp, "Output: %s", qUtf8Printable(directory));
    startMonitoring();
}

void AppController::recoverTranscripts() {
    MeetingLibrary& library = services_.library;
    const QList<TranscriptRecovery::Recovered> recovered =
        TranscriptRecovery::recoverFolder(library.folder());
    for (const TranscriptRecovery::Recovered& transcript : recovered) {
        const QString path = QFileInfo(transcript.path).absoluteFilePath();
        const QList<MeetingRecord> records = library.records();
        const auto found = std::find_if(records.cbegin(), records.cend(), [&](const MeetingRecord& r) {
            return r.transcriptPath && QFileInfo(*r.transcriptPath).absoluteFilePath() == path;
        });
        if (found != records.cend()) {
            MeetingRecord record = *found;
            record.duration = transcript.duration;
            library.finaliseRecord(*library.history(), record);
        } else {
            // The record was never saved (the process ended between the file and its record).
            MeetingRecord record;
            record.id = QUuid::createUuid();
            record.date = transcript.start;
            record.duration = transcript.duration;
            if (transcript.source)
                record.source = *transcript.source;
            record.transcriptPath = path;
            const QString notes = MeetingNotesManager::notesPath(path);
            if (QFileInfo::exists(notes))
                record.notesPath = notes;
            library.addRecord(record);
        }
        qCInfo(lcApp, "Transcript recovered: %s", qUtf8Printable(QFileInfo(path).fileName()));
        // Nobody waits for the notification server.
        services_.notifications.showTranscriptRecovered(path);
    }
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
    if (refusesRequests() || phase_ == CapturePhase::capturing || isMonitoring())
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
    if (phase_ == CapturePhase::idle)
        setPhase(CapturePhase::monitoring);
    const auto kind = appState_.captureState().kind();
    if (!fileProblem_ && kind != CaptureState::Kind::monitoring && kind != CaptureState::Kind::capturing &&
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
    cancel(permissionCheckTask_);
}

void AppController::refreshMeetingList() {
    const QList<MeetingRecord> records = services_.library.records();
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
    if (refusesRequests())
        co_return;
    auto entry = transitions_.lock();
    auto turn = co_await entry;
    auto start = startCaptureLocked(source, browserPID);
    co_await start;
}

QCoro::Task<> AppController::startCaptureLocked(CaptionSource source,
                                                std::optional<qint32> browserPID) {
    if (refusesRequests() || phase_ == CapturePhase::capturing)
        co_return;
    if (!hasRequestedNotificationPermission_) {
        hasRequestedNotificationPermission_ = true;
        auto request = services_.notifications.requestPermission();
        co_await request;
        // Checked again: the world may have moved on while the desktop answered.
        if (refusesRequests() || phase_ == CapturePhase::capturing)
            co_return;
    }
    // The reader comes first: a request that cannot be served must not stop monitoring.
    std::shared_ptr<CaptionReader> reader = createReader(source, browserPID);
    if (!reader)
        co_return;
    const bool resumes = phase_ == CapturePhase::cooldown && meeting_ && meeting_->source == source;
    setPhase(CapturePhase::starting);
    stopMonitoring();

    if (resumes) {
        cancelCooldown();
        meeting_->endTime.reset();
        qCInfo(lcApp, "Resuming %s session with existing writer",
               qUtf8Printable(CaptionSources::rawValue(source)));
        appState_.setCurrentLiveMeetingID(meeting_->recordId);
        // An error (a folder that refused the last entries) stays until a write succeeds.
        if (appState_.captureState().kind() == CaptureState::Kind::monitoring)
            appState_.setCaptureState(CaptureState::capturing());
    } else {
        if (auto previous = std::exchange(meeting_, std::nullopt)) {
            qCInfo(lcApp, "Different source (%s vs pending %s), finalizing pending writer",
                   qUtf8Printable(CaptionSources::rawValue(source)),
                   qUtf8Printable(CaptionSources::rawValue(previous->source)));
            cancelCooldown();
            auto finalize = finalizeMeeting(std::move(*previous), Announce::quietly, nullptr,
                                            "Pending writer finalize error: %s");
            co_await finalize;
        }
        if (refusesRequests())
            co_return;
        auto open = openNewMeeting(source);
        if (!co_await open)
            co_return;
    }
    coordinator_ = std::make_shared<SessionCoordinator>(
        reader, meeting_->writer, services_.clock,
        [self = QPointer<AppController>(this)](const CaptionSnapshot& snapshot) {
            if (!self)
                return;
            self->appState_.setLineCount(self->appState_.lineCount() + snapshot.size());
        });
    // The live transcript is the one being saved; a resumed capture continues it.
    coordinator_->setOnTranscript(
        [self = QPointer<AppController>(this), start = std::optional<qsizetype>()](
            qsizetype written, const QList<CaptionEntry>& pending) mutable {
            if (!self)
                return;
            if (!start)
                start = self->appState_.liveTranscriptEntries().size();
            self->appState_.updateLiveTranscript(*start + written, pending);
        });
    coordinator_->setOnWriteProblem([self = QPointer<AppController>(this)](const std::optional<QString>& error) {
        if (self)
            self->showWriteProblem(error);
    });
    // The previous session wrote into the resumed writer.
    if (resumes) {
        coordinator_->continueAfter(meeting_->lastSnapshot);
        auto retry = retryUnsaved(*meeting_);
        co_await retry;
    }
    setPhase(CapturePhase::capturing);
    startDurationTimer();
    qCInfo(lcApp, "Starting %s caption capture, output: %s",
           qUtf8Printable(CaptionSources::rawValue(source)), qUtf8Printable(services_.library.folder()));
    CancelToken token;
    captureTask_ = token;
    runCapture(this, coordinator_, source, token);
}

QCoro::Task<bool> AppController::openNewMeeting(CaptionSource source) {
    MeetingLibrary& library = services_.library;
    const QString folder = library.refreshFolder();
    // The folder may have changed since start-up to one that does not exist yet.
    if (const auto failure = createDirectory(folder)) {
        qCCritical(lcApp, "Failed to create output directory: %s", qUtf8Printable(*failure));
        failCapture(QString(), QStringLiteral("Failed to create output directory: ") + *failure);
        co_return false;
    }
    auto writer = services_.makeWriter(folder, services_.clock, CaptionSources::meetingTitle(source),
                                       services_.formatSettings.formatter());
    meeting_ = PendingMeeting{writer, source, services_.clock.now(), {}, {}, {}, {}, {}};
    fileProblem_.reset();
    appState_.startCapture();
    std::optional<QString> failure;
    std::optional<QString> expectedFilename;
    std::optional<QString> transcriptPath;
    try {
        auto setStart = writer->setStartTimeIfNeeded(meeting_->startTime);
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
        failCapture(QString(), QStringLiteral("Failed to create transcript file: ") + *failure);
        co_return false;
    }
    if (refusesRequests()) {
        // The file exists but the application is quitting: it is closed without a record.
        meeting_.reset();
        auto finalize = finalizeWriter(writer, "Writer finalize error during shutdown: %s");
        co_await finalize;
        co_return false;
    }
    appState_.setCaptionSourceName(CaptionSources::displayName(source));
    appState_.setOutputFilename(expectedFilename.value_or(QString()));

    MeetingRecord record;
    record.id = QUuid::createUuid();
    record.date = meeting_->startTime;
    record.duration = 0;
    record.source = source;
    record.transcriptPath = transcriptPath;
    meeting_->history = library.addRecord(record);
    meeting_->recordId = record.id;
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
    // A stopped capture is wound up by whoever stopped it.
    if (!self || token.isCancelled())
        co_return;
    auto ended = self->onSessionEnded(token, source, reason, failureLog, failureState);
    co_await ended;
}

QCoro::Task<> AppController::onSessionEnded(CancelToken token, CaptionSource source,
                                            std::optional<SessionStopReason> reason,
                                            std::optional<QString> failureLog,
                                            std::optional<QString> failureState) {
    auto entry = transitions_.lock();
    auto turn = co_await entry;
    // Stopped, shut down or replaced while waiting for its turn.
    if (token.isCancelled() || captureTask_ != token || refusesRequests())
        co_return;
    if (failureLog) {
        // What the session wrote stays a complete transcript with its record's duration.
        auto meeting = std::exchange(meeting_, std::nullopt);
        if (meeting)
            meeting->endTime = services_.clock.now();
        failCapture(*failureLog, *failureState);
        if (meeting) {
            auto finalize = finalizeMeeting(std::move(*meeting), Announce::quietly,
                                            "Writer finalized after a capture failure",
                                            "Writer finalize error after a capture failure: %s");
            co_await finalize;
        }
        co_return;
    }
    qCInfo(lcApp, "Coordinator.start() returned .%s (%s)",
           qUtf8Printable(SessionStopReasons::rawValue(*reason)),
           qUtf8Printable(CaptionSources::rawValue(source)));
    enterCooldown(*reason);
}

void AppController::failCapture(const QString& logLine, const QString& stateMessage) {
    if (!logLine.isEmpty())
        qCCritical(lcApp, "%s", qUtf8Printable(logLine));
    stopDurationTimer();
    captureTask_.reset(); // its task has ended
    coordinator_.reset();
    cancelCooldown();
    meeting_.reset();
    appState_.setCurrentLiveMeetingID(std::nullopt);
    clearLiveTranscript();
    setPhase(CapturePhase::idle);
    appState_.setCaptureState(CaptureState::error(stateMessage));
    restartMonitoringAfterFailure();
}

void AppController::restartMonitoringAfterFailure() {
    // Restarted monitors report visible captions at once; without a pause a failure that
    // persists (an unwritable folder) would be retried in a tight loop. The pause also keeps
    // the error readable for a moment.
    QPointer<AppController> self = this;
    services_.scheduler.schedule(monitorPollInterval, [self] {
        if (self && self->phase_ == CapturePhase::idle)
            self->startMonitoring();
    });
}

void AppController::showWriteProblem(const std::optional<QString>& error) {
    if (error) {
        qCCritical(lcApp, "Transcript write error: %s", qUtf8Printable(*error));
        fileProblem_ = QStringLiteral("Cannot write the transcript: %1. The captions are kept and "
                                      "written as soon as the folder takes them again.")
                           .arg(*error);
        appState_.setCaptureState(CaptureState::error(*fileProblem_));
    } else if (std::exchange(fileProblem_, std::nullopt)) {
        qCInfo(lcApp, "Transcript writable again");
        const bool capturing = phase_ == CapturePhase::capturing || phase_ == CapturePhase::starting;
        appState_.setCaptureState(capturing        ? CaptureState::capturing()
                                  : isMonitoring() ? CaptureState::monitoring()
                                                   : CaptureState::stopped());
    }
}

void AppController::keepUnsaved(SessionCoordinator& coordinator) {
    if (meeting_)
        meeting_->unsaved += coordinator.takeUnsavedEntries();
}

QCoro::Task<std::optional<QString>> AppController::retryUnsaved(PendingMeeting& meeting) {
    if (meeting.unsaved.isEmpty())
        co_return std::nullopt;
    const std::shared_ptr<TranscriptWriting> writer = meeting.writer;
    std::optional<QString> refusal;
    try {
        auto append = writer->append(meeting.unsaved);
        co_await append;
    } catch (const std::exception& error) {
        refusal = QString::fromUtf8(error.what());
    }
    if (refusal) {
        qCWarning(lcApp, "The transcript still refuses %lld entries: %s",
                  qint64(meeting.unsaved.size()), qUtf8Printable(*refusal));
        co_return refusal;
    }
    qCInfo(lcApp, "Wrote %lld entries the transcript had refused", qint64(meeting.unsaved.size()));
    meeting.unsaved.clear();
    showWriteProblem(std::nullopt);
    co_return std::nullopt;
}

QCoro::Task<> AppController::salvage(PendingMeeting& meeting) {
    const std::shared_ptr<TranscriptWriting> writer = meeting.writer;
    QStringList directories{services_.recoveryDirectory};
    if (const auto failure = createDirectory(services_.recoveryDirectory))
        qCWarning(lcApp, "%s", qUtf8Printable(*failure));
    auto pathTask = writer->transcriptPath();
    if (const std::optional<QString> transcript = co_await pathTask)
        directories.prepend(QFileInfo(*transcript).path()); // beside the meeting's history
    const qsizetype unsaved = meeting.unsaved.size();
    auto salvaging = writer->salvage(std::move(meeting.unsaved), directories);
    const std::optional<QString> kept = co_await salvaging;
    meeting.unsaved.clear();
    if (kept) {
        fileProblem_ = QStringLiteral("The transcript could not be completed in its folder. Everything "
                                      "captured is kept in %1").arg(QDir::toNativeSeparators(*kept));
    } else if (unsaved > 0) {
        fileProblem_ = QStringLiteral("The transcript could not be completed and %1 captions could not "
                                      "be kept anywhere").arg(unsaved);
    } else {
        co_return;
    }
    qCCritical(lcApp, "%s", qUtf8Printable(*fileProblem_));
    appState_.setCaptureState(CaptureState::error(*fileProblem_));
}

void AppController::clearLiveTranscript() {
    appState_.setLiveTranscriptEntries({});
    appState_.setLiveTranscriptVersion(appState_.liveTranscriptVersion() + 1);
}

// ---- periodic tasks -----------------------------------------------------------------------

void AppController::startDurationTimer() {
    stopDurationTimer();
    CancelToken token;
    durationTimer_ = token;
    durationLoop(this, token);
}

void AppController::stopDurationTimer() { cancel(durationTimer_); }

QCoro::Task<> AppController::durationLoop(QPointer<AppController> self, CancelToken token) {
    Scheduler& scheduler = self->services_.scheduler;
    while (true) {
        auto tick = scheduler.sleep(std::chrono::seconds(1), token);
        co_await tick;
        if (token.isCancelled() || !self)
            co_return;
        if (self->meeting_)
            self->appState_.setSessionDuration(self->meeting_->durationAt(self->services_.clock.now()));
    }
}

void AppController::startPermissionCheck() {
    cancel(permissionCheckTask_);
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
        Accessibility& ax = self->services_.accessibility;
        auto trustCheck = self->services_.accessibilityQueue.run([&ax] { return ax.isProcessTrusted(); });
        const bool trusted = co_await trustCheck;
        if (token.isCancelled() || !self)
            co_return;
        if (trusted == self->appState_.permissionGranted())
            continue;
        if (trusted) {
            qCInfo(lcApp, "Accessibility permission granted again");
            self->appState_.setPermissionGranted(true);
            self->startMonitoring(); // which checks on with a loop of its own
            co_return;
        }
        qCCritical(lcApp, "Accessibility permission revoked");
        self->stopMonitoring();
        if (self->phase_ == CapturePhase::monitoring)
            self->setPhase(CapturePhase::idle);
        self->appState_.setPermissionGranted(false);
        self->appState_.setCaptureState(CaptureState::error(permissionRevokedMessage));
        // Keeps asking: the switch turned on again, or an accessibility bus that restarted and
        // answers again, resumes monitoring.
        self->startPermissionCheck();
        co_return;
    }
}

// ---- capture end, cooldown and finalisation -----------------------------------------------

void AppController::enterCooldown(SessionStopReason reason) {
    stopDurationTimer();
    captureTask_.reset(); // its task has ended
    meeting_->lastSnapshot = coordinator_->lastSnapshot();
    meeting_->endTime = services_.clock.now();
    keepUnsaved(*coordinator_);
    coordinator_.reset();
    setPhase(CapturePhase::cooldown);
    startCooldown();
    appState_.setCurrentLiveMeetingID(std::nullopt);
    if (appState_.captureState().isCapturingOrPaused())
        appState_.setCaptureState(CaptureState::stopped());
    qCInfo(lcApp, "Capture finished (reason: %s), cooldown started",
           qUtf8Printable(SessionStopReasons::rawValue(reason)));
    startMonitoring();
}

void AppController::startCooldown() {
    cancelCooldown();
    CancelToken token;
    cooldownTask_ = token;
    cooldownLoop(this, token);
}

void AppController::cancelCooldown() { cancel(cooldownTask_); }

QCoro::Task<> AppController::cooldownLoop(QPointer<AppController> self, CancelToken token) {
    auto pause = self->services_.scheduler.sleep(cooldownDuration, token);
    if (!co_await pause || !self)
        co_return;
    auto expire = self->expireCooldown(token);
    co_await expire;
}

QCoro::Task<> AppController::expireCooldown(CancelToken token) {
    auto entry = transitions_.lock();
    auto turn = co_await entry;
    // Resumed, replaced, stopped or shut down while waiting for its turn.
    if (token.isCancelled() || cooldownTask_ != token || phase_ != CapturePhase::cooldown || !meeting_)
        co_return;
    cooldownTask_.reset(); // this is the running task: not cancelled
    setPhase(CapturePhase::finishing);
    PendingMeeting meeting = std::move(*std::exchange(meeting_, std::nullopt));
    auto finalize = finalizeMeeting(std::move(meeting), Announce::savedNotification,
                                    "Cooldown expired, writer finalized",
                                    "Writer finalize error on cooldown: %s");
    co_await finalize;
    setPhase(CapturePhase::monitoring);
}

QCoro::Task<> AppController::endSession() {
    stopDurationTimer();
    if (captureTask_)
        captureTask_->cancel();
    captureTask_.reset();
    if (auto coordinator = std::exchange(coordinator_, nullptr)) {
        auto stop = coordinator->stop();
        co_await stop;
        if (meeting_)
            meeting_->lastSnapshot = coordinator->lastSnapshot();
        keepUnsaved(*coordinator);
    }
}

QCoro::Task<> AppController::stopCapture() {
    if (refusesRequests())
        co_return;
    auto entry = transitions_.lock();
    auto turn = co_await entry;
    if (refusesRequests())
        co_return;
    qCInfo(lcApp, "Stopping capture...");
    setPhase(CapturePhase::finishing);
    cancelCooldown();
    auto end = endSession();
    co_await end;
    // A meeting still in its cooldown is finalised too: dropping it would leave its transcript
    // unfinished and its record without a duration.
    if (auto meeting = std::exchange(meeting_, std::nullopt)) {
        auto finalize = finalizeMeeting(std::move(*meeting), Announce::savedNotification,
                                        "Writer finalized (explicit stop)", "Writer finalize error: %s");
        co_await finalize;
    }
    clearLiveTranscript();
    if (appState_.captureState().isCapturingOrPaused())
        appState_.setCaptureState(CaptureState::stopped());
    qCInfo(lcApp, "Capture stopped");
    setPhase(CapturePhase::monitoring);
    if (appState_.permissionGranted())
        startMonitoring();
}

QCoro::Task<> AppController::finalizeMeeting(PendingMeeting meeting, Announce announce,
                                             const char* successLog, const char* errorLog) {
    auto retry = retryUnsaved(meeting);
    // Finished now, the transcript would go without the entries its folder still refuses (a
    // full disk can take the header's rewrite but not them): it waits for the folder too.
    if (const std::optional<QString> refusal = co_await retry; refusal && !shuttingDown_) {
        parkUnfinished(std::move(meeting), announce, *refusal);
        co_return;
    }
    auto finalize = finalizeWriter(meeting.writer, errorLog);
    const std::optional<QString> failure = co_await finalize;
    if (failure && !shuttingDown_) {
        parkUnfinished(std::move(meeting), announce, *failure);
        co_return;
    }
    if (failure || !meeting.unsaved.isEmpty()) {
        auto salvaging = salvage(meeting);
        co_await salvaging;
    }
    if (failure)
        co_return;
    if (successLog)
        qCInfo(lcApp, "%s", successLog);
    // The record first, by the meeting's own id: a slow notification server must not leave it
    // unfinished, nor let another meeting's record be finalised in its place.
    finalizeMeetingRecord(meeting);
    if (announce == Announce::savedNotification)
        announceSaved(meeting);
}

QCoro::Task<std::optional<QString>> AppController::finalizeWriter(std::shared_ptr<TranscriptWriting> writer,
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
    co_return failure;
}

void AppController::parkUnfinished(PendingMeeting meeting, Announce announce, const QString& error) {
    fileProblem_ = QStringLiteral("Cannot finish the transcript: %1. It is finished as soon as its "
                                  "folder can be written again.")
                       .arg(error);
    appState_.setCaptureState(CaptureState::error(*fileProblem_));
    unfinished_.push_back({std::move(meeting), announce});
    if (!unfinishedRetryTask_) {
        CancelToken token;
        unfinishedRetryTask_ = token;
        unfinishedLoop(this, token);
    }
}

QCoro::Task<> AppController::unfinishedLoop(QPointer<AppController> self, CancelToken token) {
    while (true) {
        auto pause = self->services_.scheduler.sleep(monitorPollInterval, token);
        if (!co_await pause || !self)
            co_return;
        auto retry = self->retryUnfinished();
        co_await retry;
        if (!self || token.isCancelled())
            co_return;
        if (self->unfinished_.empty()) {
            self->unfinishedRetryTask_.reset();
            co_return;
        }
    }
}

QCoro::Task<> AppController::retryUnfinished() {
    auto entry = transitions_.lock();
    auto turn = co_await entry;
    if (shuttingDown_)
        co_return; // shutdown gives them their last chance
    auto finish = finishUnfinished(false);
    co_await finish;
}

QCoro::Task<> AppController::finishUnfinished(bool lastChance) {
    std::vector<Unfinished> parkedMeetings = std::exchange(unfinished_, {});
    for (Unfinished& parked : parkedMeetings) {
        auto retry = retryUnsaved(parked.meeting);
        if (const std::optional<QString> refusal = co_await retry; refusal && !lastChance) {
            unfinished_.push_back(std::move(parked));
            continue;
        }
        auto finalize = finalizeWriter(parked.meeting.writer, "Writer finalize error on retry: %s");
        if (const std::optional<QString> failure = co_await finalize) {
            if (lastChance) {
                auto salvaging = salvage(parked.meeting);
                co_await salvaging;
            } else {
                unfinished_.push_back(std::move(parked));
            }
            continue;
        }
        qCInfo(lcApp, "Writer finalized on retry");
        if (!parked.meeting.unsaved.isEmpty()) {
            auto salvaging = salvage(parked.meeting);
            co_await salvaging;
        }
        finalizeMeetingRecord(parked.meeting);
        if (parked.announce == Announce::savedNotification && !shuttingDown_)
            announceSaved(parked.meeting);
    }
    if (unfinished_.empty() && !lastChance)
        showWriteProblem(std::nullopt);
}

void AppController::announceSaved(const PendingMeeting& meeting) {
    // The notification server may be slow or hung: nothing waits for it.
    [](NotificationService& notifications, std::shared_ptr<TranscriptWriting> writer) -> QCoro::Task<> {
        auto pathTask = writer->transcriptPath();
        const std::optional<QString> path = co_await pathTask;
        if (!path)
            co_return;
        auto show = notifications.showTranscriptSaved(*path);
        co_await show;
    }(services_.notifications, meeting.writer);
}

void AppController::finalizeMeetingRecord(const PendingMeeting& meeting) {
    if (!meeting.recordId || !meeting.history)
        return;
    const QUuid id = *meeting.recordId;
    if (appState_.currentLiveMeetingID() == id)
        appState_.setCurrentLiveMeetingID(std::nullopt);
    const QList<MeetingRecord> records = meeting.history->records();
    const auto found = std::find_if(records.cbegin(), records.cend(),
                                    [&](const MeetingRecord& r) { return r.id == id; });
    if (found == records.cend()) {
        qCCritical(lcApp, "Could not find meeting record %s to finalize",
                   qUtf8Printable(id.toString(QUuid::WithoutBraces).toUpper()));
        return;
    }
    MeetingRecord record = *found;
    record.duration = meeting.durationAt(services_.clock.now());
    if (!record.notesPath && record.transcriptPath) {
        const QString notes = MeetingNotesManager::notesPath(*record.transcriptPath);
        if (QFileInfo::exists(notes))
            record.notesPath = notes;
    }
    services_.library.finaliseRecord(*meeting.history, record);
    appState_.setLastCompletedMeetingID(id);
    refreshMeetingList();
    qCInfo(lcApp, "Meeting record finalized: %s, duration: %fs",
           qUtf8Printable(CaptionSources::rawValue(record.source)), record.duration);
    emit meetingFinalized(record);
}

QCoro::Task<> AppController::shutdown() {
    // Wins over everything: requests waiting for their turn and later ones do nothing.
    const bool first = !shuttingDown_;
    shuttingDown_ = true;
    if (first) {
        services_.library.stopWatching();
        summarizer_->cancelAll();
        for (auto* task : {&durationTimer_, &permissionCheckTask_, &cooldownTask_, &unfinishedRetryTask_})
            cancel(*task);
        stopMonitoring();
    }
    auto entry = transitions_.lock();
    auto turn = co_await entry;
    phase_ = CapturePhase::shuttingDown;
    // Captions read since the last flush live only in the session: end it so they reach the
    // file before it is finalised.
    auto end = endSession();
    co_await end;
    if (auto meeting = std::exchange(meeting_, std::nullopt)) {
        auto finalize = finalizeMeeting(std::move(*meeting), Announce::quietly,
                                        "Writer finalized during shutdown",
                                        "Writer finalize error during shutdown: %s");
        co_await finalize;
    }
    auto lastChance = finishUnfinished(true);
    co_await lastChance;
}

void AppController::summarizeMeeting(const MeetingRecord& record,
                                     const std::optional<QString>& notes) {
    summarizer_->summarizeMeeting(record, notes);
}

void AppController::deleteMeeting(const MeetingRecord& record) {
    services_.library.deleteRecord(record);
    refreshMeetingList();
}

} // namespace velmora
