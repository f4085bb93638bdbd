#include "app/AppState.h"
#include "app/ZoomManager.h"

#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimeZone>

#include <gtest/gtest.h>

using namespace velmora;

namespace {

const QDateTime t0(QDate(2026, 3, 14), QTime(9, 30), QTimeZone::utc());

CaptionEntry line(const QString& speaker, const QString& text, int second = 0) {
    return {t0.addSecs(second), speaker, text};
}

class AppStateTest : public ::testing::Test {
protected:
    AppState state;
    QSignalSpy entriesChanged{&state, &AppState::liveTranscriptEntriesChanged};
    QSignalSpy versionChanged{&state, &AppState::liveTranscriptVersionChanged};

    QStringList texts() const {
        QStringList result;
        for (const CaptionEntry& entry : state.liveTranscriptEntries())
            result.append(entry.speaker + QLatin1Char(':') + entry.text);
        return result;
    }
};

TEST_F(AppStateTest, ObserversHearOnlyRealChanges) {
    QSignalSpy captureChanged(&state, &AppState::captureStateChanged);
    state.setCaptureState(CaptureState::error(QStringLiteral("Lost access")));
    state.setCaptureState(CaptureState::error(QStringLiteral("Lost access")));
    EXPECT_EQ(captureChanged.count(), 1);
    state.setCaptureState(CaptureState::error(QStringLiteral("Other")));
    EXPECT_EQ(captureChanged.count(), 2);

    QSignalSpy meetingsChanged(&state, &AppState::visibleMeetingsChanged);
    MeetingRecord record;
    record.id = QUuid::createUuid();
    state.setVisibleMeetings({record});
    state.setVisibleMeetings({record});
    record.duration = 5;
    state.setVisibleMeetings({record}); // same id, changed field
    EXPECT_EQ(meetingsChanged.count(), 2);

    QSignalSpy idChanged(&state, &AppState::currentLiveMeetingIDChanged);
    state.setCurrentLiveMeetingID(record.id);
    state.setCurrentLiveMeetingID(record.id);
    state.setCurrentLiveMeetingID(std::nullopt);
    EXPECT_EQ(idChanged.count(), 2);
}

TEST_F(AppStateTest, StartCaptureResetsTheSessionUnlessOneIsRunning) {
    state.setCaptureState(CaptureState::monitoring());
    state.setLineCount(7);
    state.setSessionDuration(12);
    state.setCaptionSourceName(QStringLiteral("Zoom"));
    state.setLiveTranscriptEntries({line(QStringLiteral("A"), QStringLiteral("hi"))});
    const qint64 version = state.liveTranscriptVersion();

    state.startCapture();
    EXPECT_EQ(state.captureState(), CaptureState::capturing());
    EXPECT_EQ(state.lineCount(), 0);
    EXPECT_EQ(state.sessionDuration(), 0);
    EXPECT_EQ(state.captionSourceName(), QString());
    EXPECT_TRUE(state.liveTranscriptEntries().isEmpty());
    EXPECT_EQ(state.liveTranscriptVersion(), version + 1);

    state.setLineCount(3);
    state.setCaptureState(CaptureState::paused());
    state.startCapture();
    EXPECT_EQ(state.lineCount(), 3);
    EXPECT_EQ(state.captureState(), CaptureState::paused());
}

TEST_F(AppStateTest, LiveTranscriptKeepsWrittenEntriesAndReplacesThePendingOnes) {
    state.updateLiveTranscript(0, {line(QStringLiteral("A"), QStringLiteral("Hello"), 0)});
    state.updateLiveTranscript(0, {line(QStringLiteral("A"), QStringLiteral("Hello world"), 0)});
    // The same pending entries again: nothing to redraw.
    state.updateLiveTranscript(0, {line(QStringLiteral("A"), QStringLiteral("Hello world"), 0)});
    EXPECT_EQ(entriesChanged.count(), 2);
    EXPECT_EQ(versionChanged.count(), 2);

    // A was written; B's open utterance follows it and grows in place.
    state.updateLiveTranscript(1, {line(QStringLiteral("B"), QStringLiteral("Morning"), 2)});
    state.updateLiveTranscript(1, {line(QStringLiteral("B"), QStringLiteral("Morning all"), 2)});
    EXPECT_EQ(texts(), (QStringList{QStringLiteral("A:Hello world"), QStringLiteral("B:Morning all")}));
    EXPECT_EQ(state.liveTranscriptEntries()[1].timestamp, t0.addSecs(2));

    // A resumed capture continues after everything shown; an offset past the end keeps all.
    state.updateLiveTranscript(5, {line(QStringLiteral("C"), QStringLiteral("Back again"), 9)});
    EXPECT_EQ(texts(), (QStringList{QStringLiteral("A:Hello world"), QStringLiteral("B:Morning all"),
                                    QStringLiteral("C:Back again")}));
    state.updateLiveTranscript(2, {});
    EXPECT_EQ(texts(), (QStringList{QStringLiteral("A:Hello world"), QStringLiteral("B:Morning all")}));
}

TEST_F(AppStateTest, FormattedDurationIsMinutesAndSeconds) {
    const QList<std::pair<double, const char*>> cases = {
        {59.9, "00:59"}, {3600, "60:00"}, {3725.7, "62:05"}, {0, "00:00"}, {-3, "00:00"}};
    for (const auto& [seconds, text] : cases) {
        state.setSessionDuration(seconds);
        EXPECT_EQ(state.formattedDuration(), QString::fromLatin1(text)) << seconds;
    }
}

TEST_F(AppStateTest, ZoomLoadsFromTheStoreAndEveryWriteIsAnnouncedAndPersisted) {
    QTemporaryDir temp;
    QSettings settings(temp.filePath(QStringLiteral("velmora.conf")), QSettings::IniFormat);
    ZoomManager zoom(settings);
    QSignalSpy zoomChanged(&state, &AppState::zoomLevelChanged);

    for (const char* stored : {"", "huge"}) {
        if (*stored)
            settings.setValue(QStringLiteral("zoomLevel"), QString::fromLatin1(stored));
        state.configureZoom(&zoom);
        EXPECT_EQ(state.zoomLevel(), ZoomLevel::default_);
        EXPECT_EQ(settings.value(QStringLiteral("zoomLevel")).toString(), QStringLiteral("default"));
    }
    settings.setValue(QStringLiteral("zoomLevel"), QStringLiteral("large"));
    state.configureZoom(&zoom);
    EXPECT_EQ(state.zoomLevel(), ZoomLevel::large);

    zoomChanged.clear();
    state.setZoomLevel(ZoomLevel::large);
    state.setZoomLevel(ZoomLevel::small);
    EXPECT_EQ(zoomChanged.count(), 2);
    EXPECT_EQ(settings.value(QStringLiteral("zoomLevel")).toString(), QStringLiteral("small"));
}

} // namespace
