#include "app/AppState.h"

#include "app/ZoomProvider.h"
#include <algorithm>
#include <cmath>
#include <utility>

namespace velmora {

AppState::AppState(QObject* parent) : QObject(parent) {}

template <typename T>
void AppState::assign(T& field, const T& value, void (AppState::*changed)()) {
    if (field == value)
        return;
    field = value;
    emit(this->*changed)();
}

void AppState::setCaptureState(const CaptureState& state) {
    assign(captureState_, state, &AppState::captureStateChanged);
}

void AppState::setPermissionGranted(bool granted) {
    assign(permissionGranted_, granted, &AppState::permissionGrantedChanged);
}

void AppState::setLineCount(qint64 count) { assign(lineCount_, count, &AppState::lineCountChanged); }

void AppState::setVisibleMeetings(const QList<MeetingRecord>& meetings) {
    assign(visibleMeetings_, meetings, &AppState::visibleMeetingsChanged);
}

void AppState::setTotalMeetingCount(qint64 count) {
    assign(totalMeetingCount_, count, &AppState::totalMeetingCountChanged);
}

void AppState::setLiveTranscriptEntries(const QList<CaptionEntry>& entries) {
    assign(liveTranscriptEntries_, entries, &AppState::liveTranscriptEntriesChanged);
}

void AppState::setLiveTranscriptVersion(qint64 version) {
    assign(liveTranscriptVersion_, version, &AppState::liveTranscriptVersionChanged);
}

void AppState::setCurrentLiveMeetingID(const std::optional<QUuid>& id) {
    assign(currentLiveMeetingID_, id, &AppState::currentLiveMeetingIDChanged);
}

void AppState::setLastCompletedMeetingID(const std::optional<QUuid>& id) {
    assign(lastCompletedMeetingID_, id, &AppState::lastCompletedMeetingIDChanged);
}

void AppState::setSummaryGeneratingMeetingID(const std::optional<QUuid>& id) {
    assign(summaryGeneratingMeetingID_, id, &AppState::summaryGeneratingMeetingIDChanged);
}

void AppState::setSummaryProgress(const std::optional<SummaryProgress>& progress) {
    assign(summaryProgress_, progress, &AppState::summaryProgressChanged);
}

void AppState::setZoomLevel(ZoomLevel level) {
    zoomLevel_ = level;
    emit zoomLevelChanged();
    if (zoomProvider_)
        zoomProvider_->setZoomLevel(level);
}

void AppState::setSessionDuration(double seconds) {
    assign(sessionDuration_, seconds, &AppState::sessionDurationChanged);
}

void AppState::setCaptionSourceName(const QString& name) {
    assign(captionSourceName_, name, &AppState::captionSourceNameChanged);
}

void AppState::setOutputFilename(const QString& name) {
    assign(outputFilename_, name, &AppState::outputFilenameChanged);
}

void AppState::startCapture() {
    if (captureState_.isCapturingOrPaused())
        return;
    setCaptureState(CaptureState::capturing());
    setLineCount(0);
    setSessionDuration(0);
    setCaptionSourceName(QString());
    setOutputFilename(QString());
    setLiveTranscriptEntries({});
    setLiveTranscriptVersion(liveTranscriptVersion_ + 1);
}

void AppState::updateLiveTranscript(qsizetype kept, const QList<CaptionEntry>& pending) {
    kept = std::clamp<qsizetype>(kept, 0, liveTranscriptEntries_.size());
    const QList<CaptionEntry> shown = liveTranscriptEntries_.sliced(kept);
    if (shown == pending)
        return;
    liveTranscriptEntries_.resize(kept);
    liveTranscriptEntries_.append(pending);
    emit liveTranscriptEntriesChanged();
    setLiveTranscriptVersion(liveTranscriptVersion_ + 1);
}

QString AppState::formattedDuration() const {
    // A clock set back can make the running length negative for a moment.
    const qint64 seconds =
        std::isfinite(sessionDuration_) && sessionDuration_ > 0 ? static_cast<qint64>(sessionDuration_) : 0;
    return QString::asprintf("%02lld:%02lld", seconds / 60, seconds % 60);
}

void AppState::configureZoom(ZoomProvider* provider) {
    zoomProvider_ = provider;
    const std::optional<QString> stored = provider ? provider->storedZoomLevel() : std::nullopt;
    setZoomLevel(stored ? ZoomLevels::fromRawValue(*stored).value_or(ZoomLevel::default_)
                        : ZoomLevel::default_);
}

} // namespace velmora
