#include "app/AppState.h"

#include "app/ZoomProvider.h"
#include "capture/Graphemes.h"
#include "capture/TranscriptAssembler.h"

#include <QSet>

#include <cmath>
#include <utility>

namespace velmora {

namespace {

// How far back a new live line looks for the line it continues; keeps merging constant-time.
constexpr qsizetype lookBack = 10;
// Below this many characters two lines are too short to call a shared prefix a revision.
constexpr qsizetype minRevisionLength = 20;

// The comparison form (lower-case, composed) of each user-perceived character.
QStringList characterKeys(const QString& text) {
    const std::vector<qint32> bounds = Graphemes::segment(text);
    QStringList keys;
    keys.reserve(qsizetype(bounds.size()) - 1);
    for (size_t i = 0; i + 1 < bounds.size(); ++i) {
        QString key;
        Graphemes::appendKey(QStringView(text).mid(bounds[i], bounds[i + 1] - bounds[i]), key);
        keys.append(key);
    }
    return keys;
}

// The same line as rewritten by the meeting application (a corrected word, more punctuation).
bool isRevision(const QString& older, const QString& newer) {
    const QStringList a = characterKeys(older);
    const QStringList b = characterKeys(newer);
    const qsizetype shorter = std::min(a.size(), b.size());
    if (shorter < minRevisionLength)
        return false;
    const qsizetype needed = shorter < 40 ? minRevisionLength : shorter / 2;
    qsizetype common = 0;
    while (common < shorter && a.at(common) == b.at(common))
        ++common;
    return common >= needed;
}

} // namespace

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

void AppState::replaceLiveEntry(qsizetype index, const CaptionEntry& entry) {
    if (liveTranscriptEntries_.at(index) == entry)
        return;
    liveTranscriptEntries_[index] = entry;
    emit liveTranscriptEntriesChanged();
}

bool AppState::mergeIntoRecent(const CaptionEntry& entry) {
    const qsizetype count = liveTranscriptEntries_.size();
    for (qsizetype i = count - 1; i >= std::max<qsizetype>(0, count - lookBack); --i) {
        const CaptionEntry candidate = liveTranscriptEntries_.at(i);
        if (candidate.speaker != entry.speaker)
            return false;
        if (const auto merged = TranscriptAssembler::mergeOverlapping(candidate.text, entry.text)) {
            replaceLiveEntry(i, {candidate.timestamp, entry.speaker, *merged});
            return true;
        }
        if (isRevision(candidate.text, entry.text)) {
            const QString& longer = Graphemes::segment(candidate.text).size() >
                                            Graphemes::segment(entry.text).size()
                                        ? candidate.text
                                        : entry.text;
            replaceLiveEntry(i, {candidate.timestamp, entry.speaker, longer});
            return true;
        }
    }
    return false;
}

void AppState::appendLiveEntries(const QList<CaptionEntry>& entries) {
    QSet<std::pair<QString, QString>> seen;
    for (const CaptionEntry& entry : entries) {
        const std::pair<QString, QString> key{entry.speaker, entry.text};
        if (seen.contains(key))
            continue;
        seen.insert(key);
        if (!mergeIntoRecent(entry)) {
            liveTranscriptEntries_.append(entry);
            emit liveTranscriptEntriesChanged();
        }
    }
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
