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

TEST_F(AppStateTest, RollingLinesGrowOneUtteranceAndRepeatsInAPollCountOnce) {
    state.appendLiveEntries({line(QStringLiteral("A"), QStringLiteral("Hello world"), 0)});
    state.appendLiveEntries({line(QStringLiteral("A"), QStringLiteral("Hello world"), 1),
                             line(QStringLiteral("A"), QStringLiteral("Hello world"), 1),
                             line(QStringLiteral("B"), QStringLiteral("Morning"), 1)});
    state.appendLiveEntries({line(QStringLiteral("B"), QStringLiteral("Morning all"), 2)});
    state.appendLiveEntries({});

    EXPECT_EQ(texts(), (QStringList{QStringLiteral("A:Hello world"), QStringLiteral("B:Morning all")}));
    EXPECT_EQ(state.liveTranscriptEntries()[1].timestamp, t0.addSecs(1)); // the utterance's first poll
    EXPECT_EQ(entriesChanged.count(), 3); // append A, append B, replace B
    EXPECT_EQ(versionChanged.count(), 4);
}

TEST_F(AppStateTest, RevisedLineReplacesItsOlderFormWhenThePrefixIsLongEnough) {
    // 33 and 37 characters, sharing 22: a rewrite, not a new line.
    state.appendLiveEntries({line(QStringLiteral("A"), QStringLiteral("The quarterly numbers were strong"), 0)});
    state.appendLiveEntries({line(QStringLiteral("A"), QStringLiteral("the Quarterly numbers are very strong"), 1)});
    ASSERT_EQ(texts(), QStringList{QStringLiteral("A:the Quarterly numbers are very strong")});
    EXPECT_EQ(state.liveTranscriptEntries()[0].timestamp, t0);

    // Sharing only 19 characters: a new line.
    state.appendLiveEntries({line(QStringLiteral("A"), QStringLiteral("the Quarterly numbXXXXXXXXXXXXXXXXX"), 2)});
    EXPECT_EQ(state.liveTranscriptEntries().size(), 2);

    // Short lines are never revisions.
    state.appendLiveEntries({line(QStringLiteral("A"), QStringLiteral("the Quarterly nums"), 3)});
    EXPECT_EQ(state.liveTranscriptEntries().size(), 3);

    // Characters as the reader sees them: a decomposed accent equals the composed capital.
    state.setLiveTranscriptEntries({line(QStringLiteral("A"), QStringLiteral("Jose\u0301 said the numbers were fine"))});
    state.appendLiveEntries({line(QStringLiteral("A"), QStringLiteral("JOS\u00C9 said the numbers were great"))});
    EXPECT_EQ(texts(), QStringList{QStringLiteral("A:JOS\u00C9 said the numbers were great")});
}

TEST_F(AppStateTest, LongLinesNeedHalfTheShorterLengthInCommon) {
    const QString prefix = QStringLiteral("0123456789ABCDEFGHIJKLMNOPQRST"); // 30
    const QString oldTail = QStringLiteral("abcdefghijklmnopqrstuvwxyzabcd"); // 30
    const QString newTail = QStringLiteral("klmnopqrstuvwxyzklmnopqrstuvwxyzklmnopqrstuvwxyzkl"); // 50

    state.appendLiveEntries({line(QStringLiteral("A"), prefix.left(29) + QLatin1Char('x') + oldTail.left(30), 0)});
    state.appendLiveEntries({line(QStringLiteral("A"), prefix.left(29) + QLatin1Char('y') + newTail, 1)});
    EXPECT_EQ(state.liveTranscriptEntries().size(), 2);

    state.setLiveTranscriptEntries({});
    state.appendLiveEntries({line(QStringLiteral("A"), prefix + oldTail, 0)});
    state.appendLiveEntries({line(QStringLiteral("A"), prefix + newTail, 1)});
    EXPECT_EQ(texts(), QStringList{QStringLiteral("A:") + prefix + newTail});
}

TEST_F(AppStateTest, LookBackStopsAtAnotherSpeakerAndAfterTenEntries) {
    const QString target = QStringLiteral("Budget review for the second quarter starts now");
    const QString revised = QStringLiteral("Budget review for the second quarter begins now");

    state.setLiveTranscriptEntries({line(QStringLiteral("A"), target), line(QStringLiteral("B"), QStringLiteral("Sure"))});
    state.appendLiveEntries({line(QStringLiteral("A"), revised)});
    EXPECT_EQ(state.liveTranscriptEntries().size(), 3);

    QList<CaptionEntry> eleven{line(QStringLiteral("A"), target)};
    for (int i = 1; i <= 10; ++i)
        eleven.append(line(QStringLiteral("A"), QStringLiteral("Line %1 has nothing in common here").arg(i)));
    state.setLiveTranscriptEntries(eleven);
    state.appendLiveEntries({line(QStringLiteral("A"), revised)});
    EXPECT_EQ(state.liveTranscriptEntries().size(), 12); // eleven back: out of reach

    eleven.removeLast();
    eleven.append(line(QStringLiteral("A"), QStringLiteral("Line 10 has nothing in common here")));
    eleven.removeAt(1); // the target is now exactly ten back
    state.setLiveTranscriptEntries(eleven);
    state.appendLiveEntries({line(QStringLiteral("A"), revised)});
    ASSERT_EQ(state.liveTranscriptEntries().size(), 10);
    EXPECT_EQ(state.liveTranscriptEntries()[0].text, revised);
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
