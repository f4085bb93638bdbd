#include "app/AppController.h"

#include "app/AccessibilityLossRestart.h"

#include "app/AppState.h"
#include "app/MeetingLibrary.h"
#include "capture/MarkdownFormatter.h"
#include "capture/VelmoraError.h"
#include "fakes/FakeMeetingHistory.h"
#include "fakes/FakeNotificationService.h"
#include "fakes/FakeReaderEnvironment.h"
#include "fakes/FakeTranscriptWriter.h"
#include "fakes/HeldCalls.h"
#include "fakes/HoldableExecutor.h"
#include "fakes/ImmediateExecutor.h"
#include "fakes/LogCapture.h"
#include "fakes/QtPrinters.h"
#include "fakes/ScriptedSummaryService.h"
#include "fakes/SwitchableOutputDirectory.h"
#include "library/MeetingHistoryManager.h"
#include "library/MeetingNotesManager.h"
#include "sources/BrowserProcessCache.h"
#include "sources/PIDCache.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace velmora;
using namespace std::chrono_literals;

namespace {

class MarkdownOnly final : public FormatSettingsProvider {
public:
    std::shared_ptr<const TranscriptFormatter> formatter() const override {
        return std::make_shared<MarkdownFormatter>();
    }
    TranscriptFormat transcriptFormat() const override { return TranscriptFormat::markdown; }
    void setTranscriptFormat(TranscriptFormat) override {}
};

constexpr qint32 zoomPid = 40;
constexpr qint32 teamsPid = 50;

// The controller with real monitors, scanner and readers over a scripted tree, fake writers,
// history and notifications, in virtual time. Writers and notifications can be held so that a
// test acts while one of their calls is in flight.
class AppControllerTest : public ::testing::Test, protected FakeReaderEnvironment {
protected:
    QTemporaryDir dir;
    SwitchableOutputDirectory output{dir.path() + QStringLiteral("/out")};
    MarkdownOnly formats;
    FakeNotificationService notifications;
    std::shared_ptr<FakeMeetingHistory> firstHistory = std::make_shared<FakeMeetingHistory>();
    FakeMeetingHistory& history = *firstHistory;
    PIDCache pidCache{ax, clock};
    BrowserProcessCache browsers{ax, clock};
    AppState state;
    QList<std::shared_ptr<FakeTranscriptWriter>> writers;
    HeldCalls writerCalls;
    HoldableExecutor axQueue; // the accessibility thread, busy when held
    bool failNextCreation = false;
    std::shared_ptr<ScriptedSummaryService> summaries = std::make_shared<ScriptedSummaryService>(scheduler);
    bool writersCreateFiles = false;
    std::unique_ptr<MeetingLibrary> library;
    std::unique_ptr<AppController> controller;

    FakeNode::Ptr zoomWindow;
    FakeNode::Ptr zoomTable;
    FakeNode::Ptr teamsWindow;

    AppControllerTest() {
        build([this](const QString&) { return firstHistory; });
        ax.addRunning(QStringLiteral("zoom"), zoomPid);
        zoomWindow = ax.app(zoomPid)->add(FakeNode::make(AXRole::window));
    }

    void build(MeetingLibrary::HistoryFactory histories) {
        controller.reset();
        library = std::make_unique<MeetingLibrary>(output, std::move(histories));
        AppControllerServices services{state, formats, notifications, *library, clock, ax,
                                       axQueue, scheduler, pidCache, browsers};
        services.makeWriter = [this](const QString& directory, const Clock&, const QString& title,
                                     const std::shared_ptr<const TranscriptFormatter>&) {
            auto writer = std::make_shared<FakeTranscriptWriter>(
                QStringLiteral("%1/%2-%3.md").arg(directory, title).arg(writers.size() + 1));
            writer->failCreation = std::exchange(failNextCreation, false);
            writer->createsFile = writersCreateFiles;
            writer->held = &writerCalls;
            writers.append(writer);
            return writer;
        };
        services.summaryService = summaries;
        services.recoveryDirectory = dir.path() + QStringLiteral("/recovered");
        controller = std::make_unique<AppController>(services);
    }

    ~AppControllerTest() override {
        axQueue.release();
        writerCalls.open();
        notifications.permissionCalls.open();
        notifications.shownCalls.open();
        controller.reset();
        scheduler.runDue();
    }

    void initialize() {
        controller->initialize();
        scheduler.runDue();
    }
    void showZoomCaption(const QString& speaker, const QString& text) {
        if (!zoomTable) {
            zoomTable = zoomWindow->add(FakeNode::make(AXRole::table));
            zoomTable->set(AXAttribute::description, QStringLiteral("Closed caption subtitles"));
        }
        auto row = zoomTable->add(FakeNode::make(AXRole::row));
        auto cell = row->add(FakeNode::make(AXRole::cell));
        cell->add(FakeNode::make(AXRole::image))->set(AXAttribute::description, speaker);
        cell->add(FakeNode::staticText(text));
    }
    void hideZoomCaptions() {
        zoomWindow->removeChild(zoomTable);
        zoomTable->unset(AXAttribute::description);
        zoomTable->clearChildren();
        zoomTable.reset();
    }
    void showTeamsCaption(const QString& speaker, const QString& text) {
        ax.addRunning(QStringLiteral("com.microsoft.teams2"), teamsPid);
        teamsWindow = ax.app(teamsPid)->add(FakeNode::make(AXRole::window));
        auto group = teamsWindow->add(FakeNode::group(QStringLiteral("Live Captions")));
        auto line = group->add(FakeNode::make(AXRole::group));
        line->add(FakeNode::staticText(speaker));
        line->add(FakeNode::staticText(text));
    }
    void advance(Duration d) { scheduler.advance(d); }
    // Runs until the capture of the hidden captions has ended and its cooldown began.
    void runUntilCooldown() {
        ASSERT_TRUE(scheduler.advanceUntil([&] { return controller->hasPendingWriter(); }, 180s, 1s));
    }
    CaptureState::Kind stateKind() const { return state.captureState().kind(); }
    static QStringList texts(const QList<CaptionEntry>& entries) {
        QStringList result;
        for (const CaptionEntry& entry : entries)
            result << entry.speaker + QStringLiteral(": ") + entry.text;
        return result;
    }
};

TEST_F(AppControllerTest, CaptionsBackWithinTheCooldownResumeTheSameMeeting) {
    initialize();
    EXPECT_EQ(stateKind(), CaptureState::Kind::monitoring);
    showZoomCaption("Ana", "Hello everyone");
    advance(5s);
    EXPECT_EQ(stateKind(), CaptureState::Kind::capturing);
    ASSERT_EQ(writers.size(), 1);
    const QUuid recordId = *controller->currentLiveMeetingRecordID();
    const QDateTime firstStart = *writers[0]->startTime;

    hideZoomCaptions();
    runUntilCooldown();
    EXPECT_EQ(stateKind(), CaptureState::Kind::monitoring);
    advance(20s);
    showZoomCaption("Ana", "We are back");
    advance(9s); // 29 s after the capture ended
    EXPECT_EQ(stateKind(), CaptureState::Kind::capturing);
    EXPECT_EQ(writers.size(), 1);
    EXPECT_EQ(controller->currentLiveMeetingRecordID(), recordId);
    EXPECT_EQ(history.stored.size(), 1);
    EXPECT_TRUE(notifications.shown.isEmpty());
    EXPECT_EQ(writers[0]->finalizeCalls, 0);
    EXPECT_EQ(*writers[0]->startTime, firstStart);
    advance(3s);
    // The duration counts from the start of the first part.
    EXPECT_GT(state.sessionDuration(), 60.0);
}

TEST_F(AppControllerTest, LinesStillShownWhenTheMeetingResumesAreNotWrittenAgain) {
    initialize();
    showZoomCaption("Ana", "Hello everyone");
    advance(5s);
    showZoomCaption("Ben", "Shall we start");
    advance(2s);
    hideZoomCaptions();
    runUntilCooldown();
    // The same lines come back (the window was only hidden), then the meeting goes on.
    showZoomCaption("Ana", "Hello everyone");
    showZoomCaption("Ben", "Shall we start");
    advance(5s);
    ASSERT_EQ(stateKind(), CaptureState::Kind::capturing);
    showZoomCaption("Cy", "Yes");
    advance(2s);
    controller->shutdown();
    scheduler.runDue();
    ASSERT_EQ(writers.size(), 1);
    QStringList lines;
    for (const CaptionEntry& entry : writers[0]->written)
        lines.append(entry.speaker + QStringLiteral(": ") + entry.text);
    EXPECT_EQ(lines, (QStringList{"Ana: Hello everyone", "Ben: Shall we start", "Cy: Yes"}));
}

TEST_F(AppControllerTest, CooldownExpiryFinalisesOnceNotifiesAndTheNextCaptionsStartANewMeeting) {
    initialize();
    showZoomCaption("Ana", "Hello everyone");
    advance(5s);
    advance(20s);
    hideZoomCaptions();
    runUntilCooldown();
    advance(31s);
    ASSERT_EQ(writers.size(), 1);
    EXPECT_EQ(writers[0]->finalizeCalls, 1);
    EXPECT_EQ(notifications.shown.size(), 1);
    ASSERT_EQ(history.stored.size(), 1);
    EXPECT_GT(history.stored[0].duration, 20.0);
    EXPECT_EQ(state.lastCompletedMeetingID(), history.stored[0].id);
    EXPECT_FALSE(controller->currentLiveMeetingRecordID());

    showZoomCaption("Ben", "A new meeting");
    advance(5s);
    EXPECT_EQ(writers.size(), 2);
    EXPECT_EQ(history.stored.size(), 2);
    EXPECT_NE(history.stored[0].id, history.stored[1].id);
}

TEST_F(AppControllerTest, AnotherSourceDuringTheCooldownFinalisesAtOnceWithoutNotification) {
    initialize();
    showZoomCaption("Ana", "Zoom talk");
    advance(10s);
    hideZoomCaptions();
    runUntilCooldown();
    showTeamsCaption("Ben", "Teams talk");
    advance(5s);
    ASSERT_EQ(writers.size(), 2);
    EXPECT_EQ(writers[0]->finalizeCalls, 1);
    EXPECT_TRUE(notifications.shown.isEmpty());
    ASSERT_EQ(history.stored.size(), 2);
    EXPECT_EQ(history.stored[1].source, CaptionSource::zoom);
    EXPECT_GT(history.stored[1].duration, 0.0);
    EXPECT_EQ(history.stored[0].source, CaptionSource::teams);
    EXPECT_EQ(controller->currentSource(), CaptionSource::teams);
}

TEST_F(AppControllerTest, ASecondAppearanceWhileCapturingIsIgnoredAndPermissionIsAskedOncePerRun) {
    initialize();
    showZoomCaption("Ana", "Hello");
    advance(5s);
    controller->startCapture(CaptionSource::teams, std::nullopt);
    scheduler.runDue();
    EXPECT_EQ(writers.size(), 1);
    EXPECT_EQ(controller->currentSource(), CaptionSource::zoom);

    hideZoomCaptions();
    runUntilCooldown();
    advance(31s);
    showZoomCaption("Ana", "Again");
    advance(5s);
    EXPECT_EQ(writers.size(), 2);
    EXPECT_EQ(notifications.permissionRequests, 1);
}

TEST_F(AppControllerTest, FileCreationFailureIsShownThenMonitoringRetriesAfterAPause) {
    initialize();
    failNextCreation = true;
    LogCapture log("velmora.app");
    showZoomCaption("Ana", "Hello");
    advance(5s);
    EXPECT_EQ(log.count("Failed to create transcript file: Permission denied"), 1);
    EXPECT_EQ(state.captureState(),
              CaptureState::error("Failed to create transcript file: Permission denied"));
    EXPECT_FALSE(controller->currentSource());
    EXPECT_FALSE(controller->hasPendingWriter());
    EXPECT_TRUE(history.stored.isEmpty());
    EXPECT_EQ(writers.size(), 1); // no retry in a tight loop
    advance(5s);
    EXPECT_EQ(writers.size(), 2);
    EXPECT_EQ(stateKind(), CaptureState::Kind::capturing);
    EXPECT_EQ(history.stored.size(), 1);
}

TEST_F(AppControllerTest, RevokedPermissionStopsMonitoringWithTheReasonUntilItIsBack) {
    initialize();
    ASSERT_TRUE(controller->isMonitoring());
    ax.trusted = false;
    advance(10s);
    EXPECT_FALSE(controller->isMonitoring());
    EXPECT_FALSE(state.permissionGranted());
    EXPECT_EQ(stateKind(), CaptureState::Kind::error);
    EXPECT_TRUE(state.captureState().message().startsWith("Accessibility permission revoked."));
    advance(30s);
    EXPECT_EQ(stateKind(), CaptureState::Kind::error);

    ax.trusted = true;
    advance(10s);
    EXPECT_TRUE(controller->isMonitoring());
    EXPECT_TRUE(state.permissionGranted());
    EXPECT_EQ(stateKind(), CaptureState::Kind::monitoring);
    // Still watched: a second revocation is noticed too.
    ax.trusted = false;
    advance(10s);
    EXPECT_FALSE(controller->isMonitoring());
}

TEST_F(AppControllerTest, WithoutPermissionNothingIsWatched) {
    ax.trusted = false;
    initialize();
    EXPECT_FALSE(controller->isMonitoring());
    EXPECT_EQ(state.captureState(), CaptureState::error(VelmoraError::accessibilityNotTrusted().message()));
    EXPECT_TRUE(state.captureState().message().contains("Accessibility"));
}

TEST_F(AppControllerTest, ShutdownDuringTheCooldownFinalisesThePendingMeeting) {
    initialize();
    showZoomCaption("Ana", "Hello");
    advance(12s);
    hideZoomCaptions();
    runUntilCooldown();
    controller->shutdown();
    scheduler.runDue();
    EXPECT_EQ(writers[0]->finalizeCalls, 1);
    EXPECT_TRUE(notifications.shown.isEmpty());
    EXPECT_GT(history.stored[0].duration, 10.0);
    EXPECT_EQ(history.watchStops, 1);
    EXPECT_FALSE(controller->hasPendingWriter());
}

TEST_F(AppControllerTest, ShutdownWhileCapturingWritesWhatWasReadBeforeFinalising) {
    initialize();
    showZoomCaption("Ana", "Hello");
    advance(5s);
    showZoomCaption("Ben", "Hi Ana");
    advance(3s); // fewer polls than a flush needs
    ASSERT_TRUE(writers[0]->written.isEmpty());
    controller->shutdown();
    scheduler.runDue();
    ASSERT_EQ(writers[0]->finalizeCalls, 1);
    EXPECT_EQ(writers[0]->writtenWhenFinalized, 2);
    ASSERT_EQ(writers[0]->written.size(), 2);
    EXPECT_EQ(writers[0]->written[1].speaker, "Ben");
    EXPECT_EQ(writers[0]->written[1].text, "Hi Ana");
    EXPECT_GT(history.stored[0].duration, 2.0);
    showZoomCaption("Cy", "Still here");
    advance(60s); // no cooldown and no new capture after the end
    EXPECT_EQ(writers.size(), 1);
    EXPECT_EQ(writers[0]->finalizeCalls, 1);
    EXPECT_TRUE(notifications.shown.isEmpty());
}

TEST_F(AppControllerTest, StopDuringTheCooldownFinalisesInsteadOfDroppingTheTranscript) {
    initialize();
    showZoomCaption("Ana", "Hello");
    advance(12s);
    hideZoomCaptions();
    runUntilCooldown();
    controller->stopCapture();
    scheduler.runDue();
    EXPECT_EQ(writers[0]->finalizeCalls, 1);
    EXPECT_GT(history.stored[0].duration, 10.0);
    EXPECT_FALSE(controller->hasPendingWriter());
    advance(60s);
    EXPECT_EQ(writers[0]->finalizeCalls, 1); // the cooldown no longer fires
}

TEST_F(AppControllerTest, ARecordDeletedWhileLiveIsReportedMissingAndOnlyTheIdsClear) {
    initialize();
    showZoomCaption("Ana", "Hello");
    advance(5s);
    ASSERT_EQ(history.stored.size(), 1);
    controller->deleteMeeting(history.stored[0]);
    EXPECT_EQ(state.totalMeetingCount(), 0);
    EXPECT_EQ(stateKind(), CaptureState::Kind::capturing); // the capture goes on
    LogCapture log("velmora.app");
    hideZoomCaptions();
    controller->stopCapture();
    scheduler.runDue();
    EXPECT_EQ(log.count("Could not find meeting record"), 1);
    EXPECT_FALSE(controller->currentLiveMeetingRecordID());
    EXPECT_FALSE(state.currentLiveMeetingID());
    EXPECT_TRUE(history.stored.isEmpty());
}

TEST_F(AppControllerTest, ABrowserCaptureWithoutAProcessIdChangesNothing) {
    initialize();
    controller->startCapture(CaptionSource::browserMeet, std::nullopt);
    scheduler.runDue();
    EXPECT_TRUE(writers.isEmpty());
    EXPECT_EQ(stateKind(), CaptureState::Kind::monitoring);
    EXPECT_TRUE(controller->isMonitoring()); // a request that cannot be served stops nothing
}

TEST_F(AppControllerTest, LiveEntriesAndLineCountFollowTheSnapshots) {
    initialize();
    showZoomCaption("Ana", "Hello");
    advance(5s);
    showZoomCaption("Ben", "Hi Ana");
    advance(1s);
    EXPECT_GE(state.lineCount(), 3);
    ASSERT_FALSE(state.liveTranscriptEntries().isEmpty());
    EXPECT_EQ(state.liveTranscriptEntries().last().text, "Hi Ana");
    EXPECT_EQ(state.captionSourceName(), "Zoom");
}

// ---- transitions that overlap: each request waits for the one in flight -------------------

TEST_F(AppControllerTest, TwoStartsDuringACooldownFinaliseTheOldMeetingOnceAndOpenOneNew) {
    initialize();
    showZoomCaption("Ana", "Zoom talk");
    advance(10s);
    hideZoomCaptions();
    runUntilCooldown();
    writerCalls.hold(); // the disk is slow
    showTeamsCaption("Ben", "Teams talk");
    advance(5s); // the monitor asks for a start: it waits for the old transcript's finalisation
    ASSERT_EQ(writerCalls.waiting(), 1);
    controller->startCapture(CaptionSource::teams, std::nullopt);
    controller->startCapture(CaptionSource::teams, std::nullopt);
    scheduler.runDue();
    EXPECT_EQ(controller->phase(), CapturePhase::starting);
    writerCalls.open();
    scheduler.runDue();
    ASSERT_EQ(writers.size(), 2);
    EXPECT_EQ(writers[0]->finalizeCalls, 1);
    EXPECT_EQ(controller->phase(), CapturePhase::capturing);
    EXPECT_EQ(controller->currentSource(), CaptionSource::teams);
    ASSERT_EQ(history.stored.size(), 2);
    EXPECT_EQ(controller->currentLiveMeetingRecordID(), history.stored[0].id);

    controller->stopCapture();
    scheduler.runDue();
    EXPECT_EQ(writers[0]->finalizeCalls, 1);
    EXPECT_EQ(writers[1]->finalizeCalls, 1);
}

TEST_F(AppControllerTest, ShutdownWhileTheCooldownFinalisesClosesOnceAndCreatesNothingAfter) {
    initialize();
    showZoomCaption("Ana", "Hello");
    advance(12s);
    hideZoomCaptions();
    runUntilCooldown();
    writerCalls.hold();
    advance(31s); // the cooldown ends: its finalisation waits for the disk
    ASSERT_EQ(writerCalls.waiting(), 1);
    showTeamsCaption("Ben", "Another meeting");
    controller->startCapture(CaptionSource::teams, std::nullopt);
    auto shutdown = controller->shutdown();
    controller->startCapture(CaptionSource::zoom, std::nullopt);
    writerCalls.open();
    scheduler.runDue();
    EXPECT_TRUE(shutdown.isReady());
    ASSERT_EQ(writers.size(), 1);
    EXPECT_EQ(writers[0]->finalizeCalls, 1);
    ASSERT_EQ(history.stored.size(), 1);
    EXPECT_GT(history.stored[0].duration, 10.0);
    EXPECT_EQ(controller->phase(), CapturePhase::shuttingDown);
    EXPECT_FALSE(controller->isMonitoring());
    advance(60s);
    EXPECT_EQ(writers.size(), 1);
}

TEST_F(AppControllerTest, ShutdownWhileANewTranscriptIsCreatedAddsNoRecord) {
    initialize();
    writerCalls.hold();
    showZoomCaption("Ana", "Hello");
    advance(5s);
    ASSERT_EQ(writers.size(), 1);
    auto shutdown = controller->shutdown();
    writerCalls.open();
    scheduler.runDue();
    EXPECT_TRUE(shutdown.isReady());
    EXPECT_TRUE(history.stored.isEmpty());
    EXPECT_EQ(writers[0]->finalizeCalls, 1); // the file that exists is closed properly
    EXPECT_EQ(controller->phase(), CapturePhase::shuttingDown);
    advance(60s);
    EXPECT_EQ(writers.size(), 1);
}

TEST_F(AppControllerTest, AStopAskedForDuringTheStartEndsTheCaptureOnceItIsOpen) {
    notifications.permissionCalls.hold(); // the desktop answers slowly
    initialize();
    showZoomCaption("Ana", "Hello");
    advance(5s);
    hideZoomCaptions(); // the captions go while the start waits
    controller->stopCapture();
    scheduler.runDue();
    EXPECT_TRUE(writers.isEmpty());
    notifications.permissionCalls.open();
    scheduler.runDue();
    ASSERT_EQ(writers.size(), 1);
    EXPECT_EQ(writers[0]->finalizeCalls, 1);
    ASSERT_EQ(history.stored.size(), 1);
    EXPECT_EQ(state.lastCompletedMeetingID(), history.stored[0].id);
    EXPECT_EQ(controller->phase(), CapturePhase::monitoring);
    EXPECT_TRUE(controller->isMonitoring());
}

TEST_F(AppControllerTest, TwoAppearancesDuringThePermissionRequestStartOneSession) {
    notifications.permissionCalls.hold();
    initialize();
    controller->startCapture(CaptionSource::zoom, std::nullopt);
    controller->startCapture(CaptionSource::zoom, std::nullopt);
    showZoomCaption("Ana", "Hello");
    notifications.permissionCalls.open();
    scheduler.runDue();
    EXPECT_EQ(writers.size(), 1);
    EXPECT_EQ(history.stored.size(), 1);
    EXPECT_EQ(notifications.permissionRequests, 1);
    EXPECT_EQ(controller->phase(), CapturePhase::capturing);
}

TEST_F(AppControllerTest, AnAppThatQuitsWhileItsCaptureStartsFailsCleanlyAndMonitoringResumes) {
    initialize();
    writerCalls.hold();
    showZoomCaption("Ana", "Hello");
    advance(5s);
    ax.removeApp(zoomPid); // Zoom quits while the transcript is being created
    advance(6s);           // and the process cache has forgotten it
    LogCapture log("velmora.app");
    writerCalls.open();
    scheduler.runDue();
    const QString message = VelmoraError::captionSourceNotFound(CaptionSource::zoom).message();
    EXPECT_EQ(state.captureState(), CaptureState::error(message));
    EXPECT_EQ(log.count("VelmoraError: " + message), 1);
    // What was opened is closed: a complete file and a record with its duration.
    ASSERT_EQ(writers.size(), 1);
    EXPECT_EQ(writers[0]->finalizeCalls, 1);
    ASSERT_EQ(history.stored.size(), 1);
    EXPECT_EQ(state.lastCompletedMeetingID(), history.stored[0].id);
    EXPECT_FALSE(controller->currentLiveMeetingRecordID());
    EXPECT_FALSE(state.currentLiveMeetingID());
    EXPECT_TRUE(state.liveTranscriptEntries().isEmpty());
    EXPECT_FALSE(controller->isMonitoring());

    advance(5s); // monitoring comes back after a pause and Zoom is found again
    EXPECT_TRUE(controller->isMonitoring());
    ax.addRunning(QStringLiteral("zoom"), zoomPid + 1);
    zoomWindow = ax.app(zoomPid + 1)->add(FakeNode::make(AXRole::window));
    zoomTable.reset();
    showZoomCaption("Ana", "Back again");
    advance(5s);
    EXPECT_EQ(controller->phase(), CapturePhase::capturing);
    EXPECT_EQ(writers.size(), 2);
}

TEST_F(AppControllerTest, AStopWhileTheReaderWaitsForABusyAccessibilityThreadFinalisesOnce) {
    initialize();
    showZoomCaption("Ana", "Hello");
    advance(5s);
    ASSERT_EQ(controller->phase(), CapturePhase::capturing);
    axQueue.hold(); // a long browser scan occupies the accessibility thread
    advance(1s);    // the reader's next poll waits behind it
    ASSERT_GT(axQueue.pendingCount(), 0u);
    hideZoomCaptions();
    controller->stopCapture();
    scheduler.runDue();
    axQueue.release();
    scheduler.runDue();
    advance(10s);
    ASSERT_EQ(writers.size(), 1);
    EXPECT_EQ(writers[0]->finalizeCalls, 1);
    ASSERT_EQ(history.stored.size(), 1);
    EXPECT_EQ(state.lastCompletedMeetingID(), history.stored[0].id);
    EXPECT_EQ(controller->phase(), CapturePhase::monitoring);
    EXPECT_TRUE(controller->isMonitoring());
}

// ---- finalisation ---------------------------------------------------------------------------

TEST_F(AppControllerTest, ASlowNotificationNeitherDelaysTheRecordNorTouchesTheNextMeeting) {
    notifications.shownCalls.hold(); // the notification server does not answer
    initialize();
    showZoomCaption("Ana", "Zoom talk");
    advance(20s);
    hideZoomCaptions();
    runUntilCooldown();
    advance(31s);
    ASSERT_EQ(history.stored.size(), 1);
    const QUuid zoomRecord = history.stored[0].id;
    EXPECT_GT(history.stored[0].duration, 15.0);
    EXPECT_EQ(notifications.shownCalls.waiting(), 1);

    showTeamsCaption("Ben", "Teams talk");
    advance(5s);
    ASSERT_EQ(writers.size(), 2);
    EXPECT_EQ(controller->phase(), CapturePhase::capturing);
    const QUuid teamsRecord = *controller->currentLiveMeetingRecordID();
    advance(14s);
    notifications.shownCalls.open();
    scheduler.runDue();
    EXPECT_EQ(notifications.shown, QStringList{writers[0]->path()});
    const auto record = [&](const QUuid& id) {
        return *std::find_if(history.stored.cbegin(), history.stored.cend(),
                             [&](const MeetingRecord& r) { return r.id == id; });
    };
    EXPECT_GT(record(zoomRecord).duration, 15.0);
    EXPECT_EQ(record(teamsRecord).duration, 0.0); // still being captured
    EXPECT_EQ(controller->currentLiveMeetingRecordID(), teamsRecord);
    EXPECT_EQ(state.currentLiveMeetingID(), teamsRecord);
}

TEST_F(AppControllerTest, TheNotesFileBesideTheTranscriptIsLinkedAtFinalisation) {
    initialize();
    showZoomCaption("Ana", "Hello");
    advance(5s);
    const QString notes = MeetingNotesManager::notesPath(writers[0]->path());
    QFile file(notes);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    hideZoomCaptions();
    controller->stopCapture();
    scheduler.runDue();
    ASSERT_EQ(history.stored.size(), 1);
    EXPECT_EQ(history.stored[0].notesPath, notes);

    showZoomCaption("Ben", "Without notes");
    advance(5s);
    hideZoomCaptions();
    controller->stopCapture();
    scheduler.runDue();
    ASSERT_EQ(history.stored.size(), 2);
    EXPECT_FALSE(history.stored[0].notesPath);
}

TEST_F(AppControllerTest, WritesRefusedMidCaptureShowAnErrorAndGoOutOnceTheFolderTakesThemAgain) {
    initialize();
    showZoomCaption("Ana", "one");
    advance(5s);
    ASSERT_EQ(writers.size(), 1);
    writers[0]->refusesWrites = true;
    showZoomCaption("Ben", "two");
    advance(2s);
    showZoomCaption("Ana", "three");
    advance(12s); // past a flush
    EXPECT_EQ(stateKind(), CaptureState::Kind::error);
    EXPECT_TRUE(state.captureState().message().startsWith("Cannot write the transcript: Read-only file system."))
        << state.captureState().message().toStdString();
    EXPECT_TRUE(writers[0]->written.isEmpty());

    writers[0]->refusesWrites = false;
    showZoomCaption("Ben", "four");
    advance(12s);
    EXPECT_EQ(stateKind(), CaptureState::Kind::capturing);
    ASSERT_GE(writers[0]->written.size(), 2);
    EXPECT_EQ(texts(writers[0]->written.first(2)), QStringList({"Ana: one", "Ben: two"}));
    hideZoomCaptions();
    controller->stopCapture();
    scheduler.runDue();
    EXPECT_EQ(texts(writers[0]->written), QStringList({"Ana: one", "Ben: two", "Ana: three", "Ben: four"}));
    EXPECT_TRUE(writers[0]->salvaged.isEmpty());
}

TEST_F(AppControllerTest, EntriesRefusedToTheEndAreKeptInARecoveryFileAndTheErrorSaysWhere) {
    initialize();
    showZoomCaption("Ana", "one");
    advance(5s);
    writers[0]->refusesWrites = true;
    showZoomCaption("Ben", "two");
    advance(2s);
    hideZoomCaptions();
    runUntilCooldown();
    EXPECT_EQ(stateKind(), CaptureState::Kind::error) << "monitoring again must not hide the problem";
    controller->shutdown();
    scheduler.runDue();
    EXPECT_EQ(texts(writers[0]->salvaged), QStringList({"Ana: one", "Ben: two"}));
    EXPECT_EQ(writers[0]->salvageDirectories, QStringList({output.path, dir.path() + "/recovered"}));
    EXPECT_EQ(state.captureState().message(),
              "The transcript could not be completed in its folder. Everything captured is kept in " +
                  dir.path() + "/recovered/salvaged.md");
    EXPECT_TRUE(QFileInfo(dir.path() + "/recovered").isDir());
}

TEST_F(AppControllerTest, ATranscriptThatCannotBeFinishedIsFinishedOnceItsFolderTakesFilesAgain) {
    initialize();
    showZoomCaption("Ana", "one");
    advance(12s);
    hideZoomCaptions();
    runUntilCooldown();
    writers[0]->refusesWrites = true; // the folder turned read-only
    advance(31s);
    EXPECT_EQ(writers[0]->finalizeCalls, 0);
    EXPECT_EQ(stateKind(), CaptureState::Kind::error);
    EXPECT_TRUE(state.captureState().message().startsWith("Cannot finish the transcript: Read-only file system."));
    EXPECT_EQ(history.stored[0].duration, 0);
    const int attempts = writers[0]->finalizeAttempts;
    advance(20s); // tried again every 5 s meanwhile, not in a busy loop
    EXPECT_EQ(writers[0]->finalizeAttempts - attempts, 4);
    EXPECT_EQ(writers[0]->finalizeCalls, 0);

    writers[0]->refusesWrites = false;
    advance(5s);
    EXPECT_EQ(writers[0]->finalizeCalls, 1);
    EXPECT_GT(history.stored[0].duration, 10.0);
    EXPECT_LE(history.stored[0].duration, std::chrono::duration<double>(scheduler.elapsed()).count() - 56)
        << "the meeting ended with its captions, not at the retry";
    EXPECT_EQ(notifications.shown, QStringList({writers[0]->path()}));
    EXPECT_EQ(stateKind(), CaptureState::Kind::monitoring);
    EXPECT_TRUE(writers[0]->salvaged.isEmpty());
    advance(30s);
    EXPECT_EQ(writers[0]->finalizeCalls, 1);
}

TEST_F(AppControllerTest, AFullDiskLeavesTheMeetingUnfinishedUntilItsRefusedEntriesAreWritten) {
    initialize();
    showZoomCaption("Ana", "one");
    advance(5s);
    writers[0]->diskFull = true;
    showZoomCaption("Ben", "two");
    advance(2s);
    hideZoomCaptions();
    runUntilCooldown();
    advance(31s); // past the cooldown
    EXPECT_EQ(writers[0]->finalizeCalls, 0) << "finished without the entries it refused";
    EXPECT_TRUE(state.captureState().message().startsWith(
        "Cannot finish the transcript: No space left on device."))
        << state.captureState().message().toStdString();
    EXPECT_TRUE(writers[0]->salvaged.isEmpty());

    writers[0]->diskFull = false;
    advance(5s);
    EXPECT_EQ(texts(writers[0]->written), QStringList({"Ana: one", "Ben: two"}));
    EXPECT_EQ(writers[0]->finalizeCalls, 1);
    EXPECT_EQ(writers[0]->writtenWhenFinalized, 2);
    EXPECT_TRUE(writers[0]->salvaged.isEmpty());
    EXPECT_EQ(stateKind(), CaptureState::Kind::monitoring);
}

TEST_F(AppControllerTest, EntriesRefusedAtTheEndOfASessionAreWrittenWhenTheMeetingResumes) {
    initialize();
    showZoomCaption("Ana", "one");
    advance(5s);
    writers[0]->refusesWrites = true;
    hideZoomCaptions();
    runUntilCooldown();
    EXPECT_EQ(stateKind(), CaptureState::Kind::error);
    writers[0]->refusesWrites = false;
    showZoomCaption("Ben", "back");
    advance(6s);
    EXPECT_EQ(texts(writers[0]->written), QStringList({"Ana: one"}));
    EXPECT_EQ(stateKind(), CaptureState::Kind::capturing);
}

// ---- the controller on the real history store ------------------------------------------------

// Histories are the real meetings.json stores (saved at once); writers create their file.
class AppControllerWithStoreTest : public AppControllerTest {
protected:
    AppControllerWithStoreTest() {
        writersCreateFiles = true;
        build([](const QString& folder) {
            return std::make_shared<MeetingHistoryManager>(folder, std::make_unique<ImmediateExecutor>());
        });
    }
    // What a fresh start of the application would read from `folder`.
    static QList<MeetingRecord> stored(const QString& folder) {
        QString error;
        return MeetingHistoryManager::loadRecords(folder + QStringLiteral("/meetings.json"), folder,
                                                  error)
            .value_or(QList<MeetingRecord>());
    }
};

TEST_F(AppControllerWithStoreTest, FinishedMeetingsAreStoredWithTheirDurations) {
    initialize();
    showZoomCaption("Ana", "Hello");
    advance(12s);
    hideZoomCaptions();
    runUntilCooldown();
    advance(31s);
    showZoomCaption("Ben", "Second meeting");
    advance(10s);
    hideZoomCaptions();
    controller->stopCapture();
    scheduler.runDue();
    const QList<MeetingRecord> records = stored(output.path);
    ASSERT_EQ(records.size(), 2);
    EXPECT_EQ(records[0].transcriptPath, writers[1]->path());
    EXPECT_GT(records[0].duration, 3.0);
    EXPECT_EQ(records[1].transcriptPath, writers[0]->path());
    EXPECT_GT(records[1].duration, 10.0);
    EXPECT_EQ(state.totalMeetingCount(), 2);
}

TEST_F(AppControllerWithStoreTest, ATranscriptWhoseFolderChangedWhileItWasWrittenKeepsItsRecord) {
    const QString first = output.path;
    initialize();
    showZoomCaption("Ana", "Hello");
    advance(17s);
    ASSERT_EQ(writers.size(), 1);
    output.path = dir.path() + QStringLiteral("/elsewhere");
    library->refreshFolder(); // the settings page announces the new folder
    scheduler.runDue();
    EXPECT_EQ(state.totalMeetingCount(), 0); // the list shows the new folder's meetings
    hideZoomCaptions();
    controller->stopCapture();
    scheduler.runDue();

    const QList<MeetingRecord> records = stored(first);
    ASSERT_EQ(records.size(), 1);
    EXPECT_EQ(records[0].transcriptPath, writers[0]->path());
    EXPECT_GT(records[0].duration, 10.0);
    EXPECT_TRUE(stored(output.path).isEmpty());

    showZoomCaption("Ben", "In the new folder");
    advance(5s);
    hideZoomCaptions();
    controller->stopCapture();
    scheduler.runDue();
    ASSERT_EQ(writers.size(), 2);
    EXPECT_TRUE(writers[1]->path().startsWith(output.path + QLatin1Char('/')));
    EXPECT_EQ(stored(output.path).size(), 1);
    EXPECT_EQ(stored(first).size(), 1);
}

TEST_F(AppControllerWithStoreTest, StartUpFinishesOrphanedTranscriptsAndTheirRecords) {
    ASSERT_TRUE(QDir().mkpath(output.path));
    const auto orphan = [&](const QString& name, const QString& start, const QString& body) {
        QFile file(output.path + "/" + name);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(("# Meeting Transcript\n\n**Date:** 2026-03-14\n**Start:** " + start +
                    "\n**End:** --:--:--\n**Duration:** --:--:--\n\n---\n\n" + body).toUtf8());
        return file.fileName();
    };
    const QString withRecord = orphan("2026-03-14_08-00-00_Zoom.md", "08:00:00", "**[08:05:00] A:**\n\nhi\n\n");
    const QString withoutRecord = orphan("2026-03-14_09-00-00_Google-Meet.md", "09:00:00", "**[09:00:42] B:**\n\nyo\n\n");
    MeetingRecord known;
    known.id = QUuid::createUuid();
    known.date = QDateTime(QDate(2026, 3, 14), QTime(8, 0));
    known.source = CaptionSource::zoom;
    known.transcriptPath = withRecord;
    library->history()->addRecord(known);

    initialize();
    const QList<MeetingRecord> records = stored(output.path);
    ASSERT_EQ(records.size(), 2);
    const auto byPath = [&](const QString& path) {
        return *std::find_if(records.cbegin(), records.cend(),
                             [&](const MeetingRecord& r) { return r.transcriptPath == path; });
    };
    EXPECT_EQ(byPath(withRecord).id, known.id);
    EXPECT_DOUBLE_EQ(byPath(withRecord).duration, 300);
    const MeetingRecord created = byPath(withoutRecord);
    EXPECT_EQ(created.source, CaptionSource::browserMeet);
    EXPECT_EQ(created.date, QDateTime(QDate(2026, 3, 14), QTime(9, 0)));
    EXPECT_DOUBLE_EQ(created.duration, 42);
    EXPECT_EQ(notifications.recovered, QStringList({withRecord, withoutRecord}));
    EXPECT_EQ(state.totalMeetingCount(), 2);
    EXPECT_EQ(stateKind(), CaptureState::Kind::monitoring);
}

} // namespace

TEST_F(AppControllerTest, ShutdownCancelsARunningSummary) {
    initialize();
    MeetingRecord record;
    record.id = QUuid::createUuid();
    record.transcriptPath = dir.filePath(QStringLiteral("out/meeting.md"));
    history.stored = {record};
    controller->summarizeMeeting(record, std::nullopt);
    EXPECT_EQ(state.summaryGeneratingMeetingID(), record.id);
    controller->shutdown();
    scheduler.advance(1min);
    EXPECT_EQ(summaries->cancelled, 1);
    EXPECT_EQ(history.stored, QList<MeetingRecord>{record});
}

namespace {

// The restart that brings reading back after the accessibility bus died, over the controller's
// real capture lifecycle in virtual time.
class AccessibilityLossRestartTest : public AppControllerTest {
protected:
    int restarts = 0;
    int handedOn = -1;
    int finalizedAtRestart = -1;
    QStringList announcedAtRestart;
    std::unique_ptr<AccessibilityLossRestart> restart = watch(0);

    std::unique_ptr<AccessibilityLossRestart> watch(int quickRestartsBefore) {
        auto made = std::make_unique<AccessibilityLossRestart>(
            ax, axQueue, scheduler, *controller,
            [this](int quickRestarts) {
                ++restarts;
                handedOn = quickRestarts;
                finalizedAtRestart = writers.isEmpty() ? 0 : writers[0]->finalizeCalls;
                announcedAtRestart = notifications.shown;
            },
            quickRestartsBefore);
        made->start();
        return made;
    }
};

TEST_F(AccessibilityLossRestartTest, WaitsForTheInterruptedMeetingToBeSavedThenRestartsOnce) {
    initialize();
    showZoomCaption("Ana", "Hello everyone");
    advance(5s);
    ASSERT_EQ(stateKind(), CaptureState::Kind::capturing);
    advance(40s);
    EXPECT_EQ(restarts, 0); // nothing lost, nothing to do

    ax.connectionLost = true;
    advance(30s);
    EXPECT_EQ(restarts, 0) << "restarted while recording";
    hideZoomCaptions();
    runUntilCooldown();
    advance(25s);
    EXPECT_EQ(restarts, 0) << "restarted during the cooldown";
    advance(10s);
    ASSERT_EQ(restarts, 1);
    EXPECT_EQ(finalizedAtRestart, 1);
    EXPECT_EQ(announcedAtRestart.size(), 1);
    advance(2min);
    EXPECT_EQ(restarts, 1);
}

TEST_F(AccessibilityLossRestartTest, NeverRestartsSoonAfterStartUpAndLaterAfterQuickRestarts) {
    initialize();
    ax.connectionLost = true;
    advance(25s);
    EXPECT_EQ(restarts, 0);
    advance(AccessibilityLossRestart::checkInterval + 1s);
    EXPECT_EQ(restarts, 1);
    EXPECT_EQ(handedOn, 1) << "a short run counts as a quick restart";

    // The process that restart started, on a bus that died again at once: it waits longer.
    restart = watch(handedOn);
    advance(55s);
    EXPECT_EQ(restarts, 1);
    advance(AccessibilityLossRestart::checkInterval + 1s);
    EXPECT_EQ(restarts, 2);
    EXPECT_EQ(handedOn, 2);
    // Never longer than the cap.
    restart = watch(20);
    EXPECT_EQ(restart->uptimeGuard(), AccessibilityLossRestart::maximumUptimeGuard);
    advance(AccessibilityLossRestart::maximumUptimeGuard - 10s);
    EXPECT_EQ(restarts, 2);
    advance(AccessibilityLossRestart::checkInterval + 10s);
    EXPECT_EQ(restarts, 3);

    // A process that ran long before its bus died starts counting afresh.
    ax.connectionLost = false;
    restart = watch(3);
    advance(AccessibilityLossRestart::longRun);
    ax.connectionLost = true;
    advance(AccessibilityLossRestart::checkInterval);
    EXPECT_EQ(restarts, 4);
    EXPECT_EQ(handedOn, 0);
}

TEST_F(AccessibilityLossRestartTest, WaitsUntilTheDesktopSaysAccessibilityIsOnAgain) {
    initialize();
    advance(1min);
    // The bus and the service answering for the switch went down together.
    ax.connectionLost = true;
    ax.trusted = false;
    advance(1min);
    EXPECT_EQ(restarts, 0);
    ax.trusted = true;
    advance(AppController::permissionCheckInterval + AccessibilityLossRestart::checkInterval);
    EXPECT_EQ(restarts, 1);
}

} // namespace
