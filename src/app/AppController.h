#pragma once

#include "app/AppControllerServices.h"
#include "app/CapturePhase.h"
#include "app/PendingMeeting.h"
#include "capture/AsyncMutex.h"
#include "capture/CancelToken.h"
#include "capture/CaptionSource.h"
#include "capture/Scheduler.h"
#include "capture/SessionStopReason.h"
#include "library/MeetingRecord.h"

#include <QCoroTask>
#include <QDateTime>
#include <QObject>
#include <QPointer>
#include <QUuid>

#include <memory>
#include <optional>
#include <vector>

namespace velmora {

class BrowserCaptionScanner;
class CaptionReader;
class CaptionSourceMonitor;
class MeetingSummarizer;
class SessionCoordinator;

// The centre of the application: turns "captions appeared" from the desktop monitors and the
// browser scanner into a running capture, keeps a finished capture's writer open for a
// 30-second cooldown so that a short interruption resumes the same meeting, finalises
// transcripts and their meeting records, and keeps AppState in step. Main thread only.
//
// Transitions (start, stop, end of a session, end of a cooldown, shutdown) run one at a time
// in the order they were asked for: each waits for the one in flight. When its turn comes a
// request that no longer applies does nothing (a start while capturing, a cooldown end after
// a resume). Shutdown wins: once asked for, every waiting or later request does nothing and no
// meeting, writer or record is created.
class AppController final : public QObject {
    Q_OBJECT
public:
    static constexpr Duration cooldownDuration = std::chrono::seconds(30);
    static constexpr Duration monitorPollInterval = std::chrono::seconds(5);
    static constexpr Duration readerPollInterval = std::chrono::seconds(1);
    static constexpr Duration permissionCheckInterval = std::chrono::seconds(10);

    explicit AppController(AppControllerServices services, QObject* parent = nullptr);
    ~AppController() override;

    // Start-up; may run again (the menu's "Retry").
    QCoro::Task<> initialize();
    void startMonitoring();
    void stopMonitoring();
    // Called by the monitor and scanner callbacks; `browserPID` is set for browser sources.
    QCoro::Task<> startCapture(CaptionSource source, std::optional<qint32> browserPID);
    QCoro::Task<> stopCapture();
    // Finalises the open meeting and its record; called once at exit.
    QCoro::Task<> shutdown();
    void deleteMeeting(const MeetingRecord& record);
    // Writes the meeting's summary in the background; AppState names the meeting meanwhile.
    void summarizeMeeting(const MeetingRecord& record, const std::optional<QString>& notes);

    CapturePhase phase() const { return phase_; }
    bool isMonitoring() const { return !monitors_.empty(); }
    bool hasPendingWriter() const { return phase_ == CapturePhase::cooldown && meeting_; }
    // The source of the capture running or being started.
    std::optional<CaptionSource> currentSource() const;
    std::optional<QUuid> currentLiveMeetingRecordID() const;

signals:
    // A meeting's record received its duration: its transcript is complete on disk.
    void meetingFinalized(const velmora::MeetingRecord& record);

private:
    // What to do with the meeting once its transcript is complete.
    enum class Announce { savedNotification, quietly };

    std::shared_ptr<CaptionReader> createReader(CaptionSource source, std::optional<qint32> browserPID);
    QCoro::Task<> startCaptureLocked(CaptionSource source, std::optional<qint32> browserPID);
    // Creates the transcript and its record as the open meeting; false when that failed.
    QCoro::Task<bool> openNewMeeting(CaptionSource source);
    static QCoro::Task<> runCapture(QPointer<AppController> self,
                                    std::shared_ptr<SessionCoordinator> coordinator,
                                    CaptionSource source, CancelToken token);
    QCoro::Task<> onSessionEnded(CancelToken token, CaptionSource source,
                                 std::optional<SessionStopReason> reason,
                                 std::optional<QString> failureLog, std::optional<QString> failureState);
    void failCapture(const QString& logLine, const QString& stateMessage);
    void restartMonitoringAfterFailure();
    void clearLiveTranscript();
    void refreshMeetingList();
    bool refusesRequests() const { return shuttingDown_; }

    void startDurationTimer();
    void stopDurationTimer();
    void startPermissionCheck();
    static QCoro::Task<> durationLoop(QPointer<AppController> self, CancelToken token);
    static QCoro::Task<> permissionLoop(QPointer<AppController> self, CancelToken token);

    // Capture end, cooldown and finalisation.
    void enterCooldown(SessionStopReason reason);
    void startCooldown();
    void cancelCooldown();
    static QCoro::Task<> cooldownLoop(QPointer<AppController> self, CancelToken token);
    QCoro::Task<> expireCooldown(CancelToken token);
    // Ends the running session so that everything it read reaches the file.
    QCoro::Task<> endSession();
    // Finalises the meeting's transcript, then its record (by the meeting's own id and
    // history), then announces it without waiting for the notification server.
    QCoro::Task<> finalizeMeeting(PendingMeeting meeting, Announce announce, const char* successLog,
                                  const char* errorLog);
    // Finalises a writer; the error on failure (also logged with `errorLog`).
    static QCoro::Task<std::optional<QString>> finalizeWriter(std::shared_ptr<TranscriptWriting> writer,
                                                              const char* errorLog);
    // A meeting whose transcript could not be finalised (its folder refused the rewrite) is
    // tried again every few seconds, and kept in a recovery file if it still fails at exit.
    void parkUnfinished(PendingMeeting meeting, Announce announce, const QString& error);
    static QCoro::Task<> unfinishedLoop(QPointer<AppController> self, CancelToken token);
    QCoro::Task<> retryUnfinished();
    // With `lastChance` (at exit), what still fails goes to a recovery file.
    QCoro::Task<> finishUnfinished(bool lastChance);
    void finalizeMeetingRecord(const PendingMeeting& meeting);
    void announceSaved(const PendingMeeting& meeting);
    // Finishes the transcripts earlier runs left unfinished in the current folder, with their
    // records, and announces each.
    void recoverTranscripts();
    // Shows a write problem of the running capture, or its end.
    void showWriteProblem(const std::optional<QString>& error);
    // Hands what the session could not write to the meeting, which must keep it.
    void keepUnsaved(SessionCoordinator& coordinator);
    // Offers the meeting's unsaved entries to its transcript once more; gives the reason it
    // still refuses them, if it does.
    QCoro::Task<std::optional<QString>> retryUnsaved(PendingMeeting& meeting);
    // Keeps the whole transcript in a recovery file when its own file could not take it all.
    QCoro::Task<> salvage(PendingMeeting& meeting);
    void wireMonitor(CaptionSourceMonitor& monitor, CaptionSource source);
    // Runs `work` on the next turn of the main loop if the controller still exists.
    void later(std::function<void(AppController&)> work);
    void setPhase(CapturePhase phase);

    AppControllerServices services_;
    AppState& appState_;

    CapturePhase phase_ = CapturePhase::idle;
    // Lets one transition through at a time.
    AsyncMutex transitions_;
    bool shuttingDown_ = false;
    // A transcript that cannot be written or was kept elsewhere: shown until it is resolved or
    // the next meeting begins, monitoring does not replace it.
    std::optional<QString> fileProblem_;
    struct Unfinished {
        PendingMeeting meeting;
        Announce announce;
    };
    std::vector<Unfinished> unfinished_;
    std::optional<CancelToken> unfinishedRetryTask_;

    std::optional<PendingMeeting> meeting_;
    std::shared_ptr<SessionCoordinator> coordinator_;
    std::optional<CancelToken> captureTask_;
    std::optional<CancelToken> cooldownTask_;
    std::vector<std::unique_ptr<CaptionSourceMonitor>> monitors_;
    std::shared_ptr<BrowserCaptionScanner> browserScanner_;
    std::optional<CancelToken> permissionCheckTask_;
    std::optional<CancelToken> durationTimer_;
    bool hasRequestedNotificationPermission_ = false;
    std::unique_ptr<MeetingSummarizer> summarizer_;
};

} // namespace velmora
