#include "app/AppState.h"
#include "app/TrayMenuActions.h"
#include "app/TrayMenuModel.h"
#include "fakes/ManualClock.h"
#include "fakes/ManualScheduler.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTimeZone>

#include <gtest/gtest.h>

using namespace velmora;

namespace {

// Writes down every entry that was triggered, with its argument.
class RecordingActions final : public TrayMenuActions {
public:
    void openMainWindow() override { calls << QStringLiteral("openMainWindow"); }
    void startMonitoring() override { calls << QStringLiteral("startMonitoring"); }
    void pauseMonitoring() override { calls << QStringLiteral("pauseMonitoring"); }
    void turnOnAccessibility() override { calls << QStringLiteral("turnOnAccessibility"); }
    void retry() override { calls << QStringLiteral("retry"); }
    void openFile(const QString& path) override { calls << QStringLiteral("open ") + path; }
    void exportSummary(const QString& summaryPath, ExportFormat format) override {
        calls << QStringLiteral("export %1 %2").arg(ExportFormats::rawValue(format), summaryPath);
    }
    void summarize(const MeetingRecord& record) override {
        calls << QStringLiteral("summarize ") + record.id.toString();
    }
    void showInFileManager(const MeetingRecord& record) override {
        calls << QStringLiteral("show ") + record.id.toString();
    }
    void openTranscriptsFolder() override { calls << QStringLiteral("openTranscriptsFolder"); }
    void checkForUpdates() override { calls << QStringLiteral("checkForUpdates"); }
    void quit() override { calls << QStringLiteral("quit"); }
    QStringList calls;
};

// The menu as text: info lines in brackets, submenus with their entries after "> ".
QStringList outline(const QList<MenuEntry>& entries) {
    QStringList lines;
    for (const MenuEntry& entry : entries) {
        switch (entry.kind) {
        case MenuEntry::Kind::action: lines << entry.text; break;
        case MenuEntry::Kind::text: lines << QStringLiteral("[%1]").arg(entry.text); break;
        case MenuEntry::Kind::separator: lines << QStringLiteral("---"); break;
        case MenuEntry::Kind::submenu:
            lines << entry.text + QStringLiteral(" > ") + outline(entry.children).join(QStringLiteral(" | "));
            break;
        }
    }
    return lines;
}

const MenuEntry* find(const QList<MenuEntry>& entries, const QString& text) {
    for (const MenuEntry& entry : entries) {
        if (entry.text == text)
            return &entry;
    }
    return nullptr;
}

class TrayMenuModelTest : public ::testing::Test {
protected:
    ManualScheduler scheduler;
    // Friday 14 March 2026, 09:30 local time (tests run in UTC).
    ManualClock clock{scheduler};
    AppState state;
    RecordingActions actions;
    TrayMenuModel model{state, actions, clock};
    QTemporaryDir dir;

    // The status block: between the first separator and the one before "Your Meetings".
    QStringList statusBlock() {
        const QStringList lines = outline(model.entries());
        return lines.mid(2, lines.size() - 7);
    }
    QString file(const QString& name) {
        const QString path = dir.filePath(name);
        QFile out(path);
        EXPECT_TRUE(out.open(QIODevice::WriteOnly));
        out.write("text");
        return path;
    }
    MeetingRecord meeting(std::optional<QString> transcript, std::optional<QString> summary) {
        MeetingRecord record;
        record.id = QUuid::createUuid();
        record.date = clock.now().addSecs(-3600);
        record.duration = 1500;
        record.source = CaptionSource::browserMeet;
        record.transcriptPath = std::move(transcript);
        record.summaryPath = std::move(summary);
        return record;
    }
    QList<MenuEntry> entriesOf(const MeetingRecord& record) {
        state.setVisibleMeetings({record});
        const QList<MenuEntry> entries = model.entries();
        const MenuEntry* meetings = find(entries, QStringLiteral("Your Meetings"));
        EXPECT_TRUE(meetings);
        return meetings ? meetings->children.front().children : QList<MenuEntry>{};
    }
};

TEST_F(TrayMenuModelTest, FrameAroundTheStatusIsTheSameInEveryState) {
    EXPECT_EQ(outline(model.entries()),
              (QStringList{QStringLiteral("Open Velmora"), QStringLiteral("---"), QStringLiteral("Start Monitoring"),
                           QStringLiteral("---"),
                           QStringLiteral("Your Meetings > [No meetings yet] | --- | Open Transcripts Folder"),
                           QStringLiteral("---"), QStringLiteral("Check for Updates..."),
                           QStringLiteral("Quit Velmora")}));
    for (const QString& text : {QStringLiteral("Open Velmora"), QStringLiteral("Check for Updates..."),
                                QStringLiteral("Quit Velmora"), QStringLiteral("Start Monitoring")})
        find(model.entries(), text)->trigger();
    EXPECT_EQ(actions.calls, (QStringList{QStringLiteral("openMainWindow"), QStringLiteral("checkForUpdates"),
                                          QStringLiteral("quit"), QStringLiteral("startMonitoring")}));
}

TEST_F(TrayMenuModelTest, StatusBlockAndIconFollowTheCaptureState) {
    state.setCaptureState(CaptureState::monitoring());
    EXPECT_EQ(statusBlock(), (QStringList{QStringLiteral("[Monitoring for captions...]"),
                                          QStringLiteral("Pause Monitoring")}));
    EXPECT_EQ(TrayMenuModel::iconFor(state.captureState()), TrayMenuModel::Icon::watching);

    state.setCaptureState(CaptureState::capturing());
    state.setCaptionSourceName(QStringLiteral("Google Meet"));
    state.setSessionDuration(754.9);
    state.setLineCount(42);
    EXPECT_EQ(statusBlock(), (QStringList{QStringLiteral("[Google Meet · 12:34]"),
                                          QStringLiteral("[42 lines captured]")}));
    EXPECT_EQ(TrayMenuModel::iconFor(state.captureState()), TrayMenuModel::Icon::capturing);
    EXPECT_EQ(model.toolTip(), QStringLiteral("Velmora — Capturing Google Meet"));
    state.setLineCount(43);
    EXPECT_EQ(statusBlock().last(), QStringLiteral("[43 lines captured]")) << "rebuilt on every opening";

    state.setCaptureState(CaptureState::stopped());
    EXPECT_EQ(statusBlock(), QStringList{QStringLiteral("[Transcript saved]")});
}

TEST_F(TrayMenuModelTest, ErrorsOfferRetryAndTurningOnAccessibilityOnlyWhenItIsTheCause) {
    state.setCaptureState(CaptureState::error(QStringLiteral("The transcript folder is not writable")));
    EXPECT_EQ(statusBlock(), (QStringList{QStringLiteral("[The transcript folder is not writable]"),
                                          QStringLiteral("Retry")}));
    EXPECT_EQ(TrayMenuModel::iconFor(state.captureState()), TrayMenuModel::Icon::error);

    const QString message = QStringLiteral("Accessibility permission required. Turn on assistive "
                                           "technologies in your desktop's accessibility settings.");
    state.setCaptureState(CaptureState::error(message));
    EXPECT_EQ(statusBlock(), (QStringList{QStringLiteral("[%1]").arg(message),
                                          QStringLiteral("Turn On Accessibility"), QStringLiteral("Retry")}));
    find(model.entries(), QStringLiteral("Turn On Accessibility"))->trigger();
    find(model.entries(), QStringLiteral("Retry"))->trigger();
    EXPECT_EQ(actions.calls, (QStringList{QStringLiteral("turnOnAccessibility"), QStringLiteral("retry")}));
}

TEST_F(TrayMenuModelTest, MeetingEntriesFollowTheFilesOnDisk) {
    const QString transcript = file(QStringLiteral("meet.md"));
    const QString summary = file(QStringLiteral("meet-summary.md"));
    const MeetingRecord full = meeting(transcript, summary);
    EXPECT_EQ(outline(entriesOf(full)),
              (QStringList{QStringLiteral("Open Transcript"), QStringLiteral("Open Summary"),
                           QStringLiteral("Export as PDF"), QStringLiteral("Export as DOCX"),
                           QStringLiteral("Summarize"), QStringLiteral("Show in File Manager")}));
    for (const MenuEntry& entry : entriesOf(full))
        entry.trigger();
    EXPECT_EQ(actions.calls,
              (QStringList{QStringLiteral("open ") + transcript, QStringLiteral("open ") + summary,
                           QStringLiteral("export pdf ") + summary, QStringLiteral("export docx ") + summary,
                           QStringLiteral("summarize ") + full.id.toString(),
                           QStringLiteral("show ") + full.id.toString()}));

    // Deleted on disk since the record was written: no broken entries.
    QFile::remove(transcript);
    QFile::remove(summary);
    EXPECT_EQ(outline(entriesOf(full)),
              (QStringList{QStringLiteral("[Transcript unavailable]"), QStringLiteral("Summarize"),
                           QStringLiteral("Show in File Manager")}));

    // A summary path that names a folder is no summary.
    EXPECT_EQ(outline(entriesOf(meeting(std::nullopt, dir.path()))),
              (QStringList{QStringLiteral("[Transcript unavailable]"), QStringLiteral("Show in File Manager")}));
}

TEST_F(TrayMenuModelTest, MeetingTitlesNameTheDaySourceAndLength) {
    const QDateTime now = clock.now();
    MeetingRecord record;
    record.date = QDateTime(QDate(2026, 3, 14), QTime(8, 5), QTimeZone::utc());
    record.source = CaptionSource::browserTeams;
    record.duration = 0.4;
    EXPECT_EQ(TrayMenuModel::meetingTitle(record, now), QStringLiteral("Today, 08:05 — Teams (1 min)"));
    record.date = QDateTime(QDate(2026, 3, 13), QTime(23, 59), QTimeZone::utc());
    record.source = CaptionSource::zoom;
    record.duration = 7200;
    EXPECT_EQ(TrayMenuModel::meetingTitle(record, now), QStringLiteral("Yesterday, 23:59 — Zoom (2h)"));
    record.date = QDateTime(QDate(2026, 3, 6), QTime(14, 5), QTimeZone::utc());
    record.source = CaptionSource::browserMeet;
    record.duration = 7260;
    EXPECT_EQ(TrayMenuModel::meetingTitle(record, now), QStringLiteral("Fri, Mar 6, 14:05 — Google Meet (2h 1 min)"));
    record.duration = 3599;
    EXPECT_TRUE(TrayMenuModel::meetingTitle(record, now).endsWith(QStringLiteral("(59 min)")));
}

} // namespace
