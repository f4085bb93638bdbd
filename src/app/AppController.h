#pragma once

#include "app/AppControllerServices.h"
#include "capture/CancelToken.h"
#include "capture/Scheduler.h"
#include "capture/CaptionSource.h"
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
    // Finalises the current (else pending) transcript and its record; called once at exit.
    QCoro::Task<> shutdown();
    void deleteMeeting(const MeetingRecord& record);
    // Writes the meeting's summary in the background; AppState names the meeting meanwhile.
    void summarizeMeeting(const MeetingRecord& record, const std::optional<QString>& notes);

    bool isMonitoring() const { return !monitors_.empty(); }
    bool hasPendingWriter() const { return pendingWriter_ != nullptr; }
    std::optional<CaptionSource> currentSource() const { return currentSource_; }
    std::optional<QUuid> currentLiveMeetingRecordID() const { return currentLiveMeetingRecordID_; }

signals:
    // A meeting's record received its duration: its transcript is complete on disk.
    void meetingFinalized(const velmora::MeetingRecord& record);

private:
    std::shared_ptr<CaptionReader> createReader(CaptionSource source, std::optional<qint32> browserPID);
    QCoro::Task<bool> setupNewSession(CaptionSource source, std::shared_ptr<TranscriptWriting> writer);
    static QCoro::Task<> runCapture(QPointer<AppController> self,
                                    std::shared_ptr<SessionCoordinator> coordinator,
                                    CaptionSource source, CancelToken token);
    void onCaptureFailed(const QString& logLine, const QString& stateMessage);
    void cleanupAfterCaptureFailure();
    void restartMonitoringAfterFailure();
    void resetCaptureState(bool preservePending);
    void refreshMeetingList();

    void startDurationTimer();
    void startPermissionCheck();
    static QCoro::Task<> durationLoop(QPointer<AppController> self, CancelToken token);
    static QCoro::Task<> permissionLoop(QPointer<AppController> self, CancelToken token);

    // Capture end, cooldown and resume.
    QCoro::Task<> finishCapture(CaptionSource source, SessionStopReason reason);
    void startCooldown();
    static QCoro::Task<> cooldownLoop(QPointer<AppController> self, CancelToken token);
    QCoro::Task<> expireCooldown();
    std::shared_ptr<TranscriptWriting> handleSessionResume(CaptionSource source);
    QCoro::Task<> finalizePendingWriter(CaptionSource newSource);
    // Finalises a writer; true on success (failures are logged with `errorLog`).
    static QCoro::Task<bool> finalizeWriter(std::shared_ptr<TranscriptWriting> writer,
                                            const char* errorLog);
    // "Transcript Saved" for the writer's file (when it has one), then the record's duration.
    QCoro::Task<> announceSavedAndFinalizeRecord(std::shared_ptr<TranscriptWriting> writer);
    void finalizeMeetingRecord();
    void wireMonitor(CaptionSourceMonitor& monitor, CaptionSource source);
    // Runs `work` on the next turn of the main loop if the controller still exists.
    void later(std::function<void(AppController&)> work);

    AppControllerServices services_;
    AppState& appState_;

    std::shared_ptr<SessionCoordinator> coordinator_;
    std::optional<CancelToken> captureTask_;
    std::vector<std::unique_ptr<CaptionSourceMonitor>> monitors_;
    std::shared_ptr<BrowserCaptionScanner> browserScanner_;
    std::shared_ptr<TranscriptWriting> currentWriter_;
    std::shared_ptr<TranscriptWriting> pendingWriter_;
    std::optional<CaptionSource> pendingSource_;
    std::optional<QDateTime> pendingStartTime_;
    std::optional<CancelToken> cooldownTask_;
    std::optional<CancelToken> permissionCheckTask_;
    std::optional<QUuid> currentLiveMeetingRecordID_;
    std::optional<QDateTime> sessionStartTime_;
    std::optional<CaptionSource> currentSource_;
    std::optional<CancelToken> durationTimer_;
    bool hasRequestedNotificationPermission_ = false;
    std::unique_ptr<MeetingSummarizer> summarizer_;
};

} // namespace velmora
