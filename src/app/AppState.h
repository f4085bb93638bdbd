#pragma once

#include "app/CaptureState.h"
#include "app/ZoomLevel.h"
#include "capture/CaptionEntry.h"
#include "library/MeetingRecord.h"
#include "summary/SummaryService.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QUuid>

#include <optional>

namespace velmora {

class ZoomProvider;

// The observable state the windows and the menu show. Main thread only. Each setter tells its
// observers only when the value really changes, except the zoom level, which is announced and
// persisted on every write.
class AppState final : public QObject {
    Q_OBJECT
public:
    explicit AppState(QObject* parent = nullptr);

    CaptureState captureState() const { return captureState_; }
    void setCaptureState(const CaptureState& state);
    bool permissionGranted() const { return permissionGranted_; }
    void setPermissionGranted(bool granted);
    // Caption lines of the session, counted once per poll that showed them.
    qint64 lineCount() const { return lineCount_; }
    void setLineCount(qint64 count);
    QList<MeetingRecord> visibleMeetings() const { return visibleMeetings_; }
    void setVisibleMeetings(const QList<MeetingRecord>& meetings);
    qint64 totalMeetingCount() const { return totalMeetingCount_; }
    void setTotalMeetingCount(qint64 count);
    QList<CaptionEntry> liveTranscriptEntries() const { return liveTranscriptEntries_; }
    void setLiveTranscriptEntries(const QList<CaptionEntry>& entries);
    // Grows by one after every batch of live changes, so views can redraw cheaply.
    qint64 liveTranscriptVersion() const { return liveTranscriptVersion_; }
    void setLiveTranscriptVersion(qint64 version);
    std::optional<QUuid> currentLiveMeetingID() const { return currentLiveMeetingID_; }
    void setCurrentLiveMeetingID(const std::optional<QUuid>& id);
    std::optional<QUuid> lastCompletedMeetingID() const { return lastCompletedMeetingID_; }
    void setLastCompletedMeetingID(const std::optional<QUuid>& id);
    std::optional<QUuid> summaryGeneratingMeetingID() const { return summaryGeneratingMeetingID_; }
    void setSummaryGeneratingMeetingID(const std::optional<QUuid>& id);
    // How far the running summary is (chunk k of n, then merging); none while no summary runs.
    std::optional<SummaryProgress> summaryProgress() const { return summaryProgress_; }
    void setSummaryProgress(const std::optional<SummaryProgress>& progress);
    ZoomLevel zoomLevel() const { return zoomLevel_; }
    void setZoomLevel(ZoomLevel level);
    ZoomProvider* zoomProvider() const { return zoomProvider_; }
    double sessionDuration() const { return sessionDuration_; }
    void setSessionDuration(double seconds);
    QString captionSourceName() const { return captionSourceName_; }
    void setCaptionSourceName(const QString& name);
    QString outputFilename() const { return outputFilename_; }
    void setOutputFilename(const QString& name);

    // Resets the counters and the live transcript for a new session; ignored while capturing.
    void startCapture();
    // Shows the transcript being saved: keeps the first `kept` live entries (written, they no
    // longer change) and puts `pending` after them. The version grows when anything changed.
    void updateLiveTranscript(qsizetype kept, const QList<CaptionEntry>& pending);
    // The session duration as "MM:SS"; minutes run past 59.
    QString formattedDuration() const;
    // Attaches the zoom store and loads the level from it (writing it back).
    void configureZoom(ZoomProvider* provider);

signals:
    void captureStateChanged();
    void permissionGrantedChanged();
    void lineCountChanged();
    void visibleMeetingsChanged();
    void totalMeetingCountChanged();
    void liveTranscriptEntriesChanged();
    void liveTranscriptVersionChanged();
    void currentLiveMeetingIDChanged();
    void lastCompletedMeetingIDChanged();
    void summaryGeneratingMeetingIDChanged();
    void summaryProgressChanged();
    void zoomLevelChanged();
    void sessionDurationChanged();
    void captionSourceNameChanged();
    void outputFilenameChanged();

private:
    template <typename T>
    void assign(T& field, const T& value, void (AppState::*changed)());

    CaptureState captureState_ = CaptureState::idle();
    bool permissionGranted_ = false;
    qint64 lineCount_ = 0;
    QList<MeetingRecord> visibleMeetings_;
    qint64 totalMeetingCount_ = 0;
    QList<CaptionEntry> liveTranscriptEntries_;
    qint64 liveTranscriptVersion_ = 0;
    std::optional<QUuid> currentLiveMeetingID_;
    std::optional<QUuid> lastCompletedMeetingID_;
    std::optional<QUuid> summaryGeneratingMeetingID_;
    std::optional<SummaryProgress> summaryProgress_;
    ZoomLevel zoomLevel_ = ZoomLevel::default_;
    ZoomProvider* zoomProvider_ = nullptr;
    double sessionDuration_ = 0;
    QString captionSourceName_;
    QString outputFilename_;
};

} // namespace velmora
