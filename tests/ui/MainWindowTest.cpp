#include "app/AppState.h"
#include "app/FixedOutputDirectory.h"
#include "app/ZoomManager.h"
#include "capture/MarkdownFormatter.h"
#include "fakes/FakeFileRevealer.h"
#include "fakes/ImmediateExecutor.h"
#include "fakes/ManualScheduler.h"
#include "fakes/QtPrinters.h"
#include "library/MeetingNotesManager.h"
#include "library/search/MeetingSearchIndex.h"
#include "library/search/SearchSession.h"
#include "ui/AppearanceController.h"
#include "ui/EmptyStatePanel.h"
#include "ui/LatestRead.h"
#include "ui/MainWindow.h"
#include "ui/MeetingDetailView.h"
#include "ui/MeetingListModel.h"
#include "ui/MeetingSidebar.h"
#include "ui/SearchPanel.h"
#include "ui/SummaryView.h"
#include "ui/TranscriptPanel.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QSemaphore>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

using namespace velmora;
using namespace std::chrono_literals;

namespace {

// Real notes files, with a count of writes and a switch that makes them fail.
class CountingNotes final : public MeetingNotesProvider {
public:
    QString loadNotes(const MeetingRecord& record) override { return real.loadNotes(record); }
    std::optional<QString> saveNotes(const QString& text, const MeetingRecord& record) override {
        saved.append(text);
        if (failing)
            return std::nullopt;
        return real.saveNotes(text, record);
    }
    MeetingNotesManager real;
    QStringList saved; // every attempt
    bool failing = false;
};

CaptionEntry caption(const QDateTime& at, const QString& speaker, const QString& text) {
    return {at, speaker, text};
}

class MainWindowTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QSettings settings{dir.filePath(QStringLiteral("velmora.conf")), QSettings::IniFormat};
    AppState state;
    CountingNotes notes;
    FixedOutputDirectory output{dir.path()};
    FakeFileRevealer revealer;
    ManualScheduler scheduler;
    QList<MeetingRecord> updated;
    QList<MeetingRecord> deleted;
    QList<std::pair<MeetingRecord, std::optional<QString>>> summarized;
    QStringList openedFolders;
    bool confirm = true;
    std::unique_ptr<MainWindow> window;

    QDateTime today(int hour, int minute) const {
        return QDateTime(QDate::currentDate(), QTime(hour, minute), Qt::LocalTime);
    }

    // A finished meeting whose Markdown transcript holds `lines` (speaker, text) a second apart.
    MeetingRecord meeting(const QDateTime& start, const QList<std::pair<QString, QString>>& lines,
                          CaptionSource source = CaptionSource::teams) {
        MeetingRecord record;
        record.id = QUuid::createUuid();
        record.date = start;
        record.duration = 600;
        record.source = source;
        const QString path = dir.filePath(record.id.toString(QUuid::WithoutBraces) + QStringLiteral(".md"));
        const MarkdownFormatter formatter;
        QString text = formatter.formatHeader(start, start);
        QString previous;
        for (qsizetype i = 0; i < lines.size(); ++i) {
            text += formatter.formatEntry(caption(start.addSecs(i), lines[i].first, lines[i].second),
                                          lines[i].first != previous);
            previous = lines[i].first;
        }
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text.toUtf8());
        record.transcriptPath = path;
        return record;
    }

    void open(SearchSession* search = nullptr) {
        MainWindowServices services{state, notes, output, revealer, scheduler, settings,
                                    [this](const MeetingRecord& r) { updated.append(r); },
                                    [this](const MeetingRecord& r) {
                                        deleted.append(r);
                                        QList<MeetingRecord> rest = state.visibleMeetings();
                                        rest.removeIf([&r](const MeetingRecord& m) { return m.id == r.id; });
                                        state.setVisibleMeetings(rest);
                                    },
                                    [this](const MeetingRecord& r, const std::optional<QString>& n) {
                                        summarized.append({r, n});
                                    },
                                    [this](const QString& folder) { openedFolders.append(folder); },
                                    [this](QWidget*, const MeetingRecord&) { return confirm; }};
        services.search = search;
        window = std::make_unique<MainWindow>(services);
    }

    MeetingDetailView& detail() { return *window->detailView(); }

    // Selects a finished meeting and waits until its transcript has been read.
    void selectAndLoad(const MeetingRecord& record) {
        QSignalSpy loaded(window->detailView(), &MeetingDetailView::transcriptLoaded);
        ASSERT_TRUE(window->openMeeting(record.id));
        if (loaded.isEmpty())
            ASSERT_TRUE(loaded.wait(5000));
    }

    void type(const QString& text) { detail().notesEditor()->insertPlainText(text); }
};

TEST_F(MainWindowTest, SidebarGroupsMeetingsByDayNewestFirst) {
    const auto first = meeting(today(9, 30), {});
    const auto second = meeting(today(8, 0), {}, CaptionSource::browserMeet);
    const auto yesterday = meeting(today(10, 0).addDays(-1), {});
    const auto older = meeting(QDateTime(QDate(2024, 2, 9), QTime(14, 5), Qt::LocalTime), {});
    state.setVisibleMeetings({first, second, yesterday, older});
    open();

    const MeetingListModel& model = *window->sidebar()->model();
    QStringList rows;
    for (int row = 0; row < model.rowCount(); ++row)
        rows.append(model.index(row).data(Qt::AccessibleTextRole).toString());
    EXPECT_EQ(rows, (QStringList{QStringLiteral("Today"), QStringLiteral("Teams, 09:30, 10 min"),
                                 QStringLiteral("Google Meet, 08:00, 10 min"), QStringLiteral("Yesterday"),
                                 QStringLiteral("Teams, 10:00, 10 min"), QStringLiteral("Feb 9, 2024"),
                                 QStringLiteral("Teams, 14:05, 10 min")}));
    // Day titles are not meetings: they cannot be selected.
    EXPECT_FALSE(model.flags(model.index(0)) & Qt::ItemIsSelectable);

    state.setVisibleMeetings({});
    EXPECT_EQ(model.rowCount(), 0);
}

TEST_F(MainWindowTest, SelectedMeetingShowsItsTranscriptReadFromTheFile) {
    const auto record = meeting(today(9, 0), {{QStringLiteral("Ann"), QStringLiteral("Hello")},
                                              {QStringLiteral("Ann"), QStringLiteral("again")},
                                              {QStringLiteral("Bo"), QStringLiteral("Hi")}});
    state.setVisibleMeetings({record});
    open();
    auto* initial = qobject_cast<EmptyStatePanel*>(window->currentDetail());
    ASSERT_NE(initial, nullptr);
    EXPECT_EQ(initial->title(), QStringLiteral("Select a meeting"));
    selectAndLoad(record);

    EXPECT_EQ(window->currentDetail(), &detail());
    EXPECT_EQ(detail().headerTitle(), QStringLiteral("Teams"));
    ASSERT_EQ(detail().transcriptStore().count(), 2);
    EXPECT_EQ(window->sidebar()->selectedId(), record.id);

    // Each block reads as speaker, time and text, as a screen reader announces it.
    QListView* list = detail().transcriptPanel()->list();
    EXPECT_EQ(list->model()->index(0, 0).data(Qt::AccessibleTextRole).toString(),
              QStringLiteral("Ann, 09:00:00, Hello again"));

    window->copyTranscriptAction()->trigger();
    EXPECT_EQ(QApplication::clipboard()->text(),
              QStringLiteral("Ann [09:00:00]: Hello again\nBo [09:00:02]: Hi"));
    window->revealAction()->trigger();
    EXPECT_EQ(revealer.revealed, QStringList{*record.transcriptPath});
    window->openFolderAction()->trigger();
    EXPECT_EQ(openedFolders, QStringList{dir.path()});
}

TEST_F(MainWindowTest, DeletingTheSelectedMeetingAsksFirstAndClearsTheSelection) {
    const auto kept = meeting(today(8, 0), {});
    const auto doomed = meeting(today(9, 0), {});
    state.setVisibleMeetings({doomed, kept});
    open();
    selectAndLoad(doomed);

    confirm = false;
    window->requestDelete(doomed);
    EXPECT_TRUE(deleted.isEmpty());
    EXPECT_EQ(window->selection(), MeetingSelection::record(doomed.id));

    // Notes typed just before are not written beside a meeting that is going away.
    type(QStringLiteral("unsaved"));
    confirm = true;
    window->requestDelete(doomed);
    scheduler.advance(5s);
    EXPECT_TRUE(notes.saved.isEmpty());
    ASSERT_EQ(deleted.size(), 1);
    EXPECT_EQ(deleted[0].id, doomed.id);
    EXPECT_FALSE(window->selection().has_value());
    auto* empty = qobject_cast<EmptyStatePanel*>(window->currentDetail());
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(empty->title(), QStringLiteral("Select a meeting"));
    EXPECT_FALSE(window->summaryAction()->isEnabled());
}

TEST_F(MainWindowTest, NotesAreSavedOnceASecondAfterTheLastEdit) {
    const auto record = meeting(today(9, 0), {});
    const auto other = meeting(today(8, 0), {});
    state.setVisibleMeetings({record, other});
    open();
    selectAndLoad(record);

    type(QStringLiteral("# Plan"));
    scheduler.advance(900ms);
    type(QStringLiteral("\n- ship it")); // postpones the save
    scheduler.advance(900ms);
    EXPECT_TRUE(notes.saved.isEmpty());
    scheduler.advance(100ms);
    EXPECT_EQ(notes.saved, QStringList{QStringLiteral("# Plan\n- ship it")});
    // The record learns where its notes are, once.
    ASSERT_EQ(updated.size(), 1);
    EXPECT_EQ(updated[0].notesPath, MeetingNotesManager::notesPath(*record.transcriptPath));

    scheduler.advance(10s);
    selectAndLoad(other); // nothing unsaved: nothing written
    selectAndLoad(record);
    EXPECT_EQ(detail().notesEditor()->toPlainText(), QStringLiteral("# Plan\n- ship it"));
    scheduler.advance(10s);
    EXPECT_EQ(notes.saved.size(), 1);
    EXPECT_EQ(updated.size(), 1);
}

TEST_F(MainWindowTest, LeavingAMeetingSavesItsNotesAtOnce) {
    const auto record = meeting(today(9, 0), {});
    const auto other = meeting(today(8, 0), {});
    state.setVisibleMeetings({record, other});
    open();
    selectAndLoad(record);
    type(QStringLiteral("decided"));
    selectAndLoad(other);
    EXPECT_EQ(notes.saved, QStringList{QStringLiteral("decided")});
    scheduler.advance(5s);
    EXPECT_EQ(notes.saved.size(), 1);
    EXPECT_EQ(notes.real.loadNotes(record), QStringLiteral("decided"));
}

TEST_F(MainWindowTest, FailedNotesSaveIsRetriedOnTheNextEdit) {
    const auto record = meeting(today(9, 0), {});
    state.setVisibleMeetings({record});
    open();
    selectAndLoad(record);

    notes.failing = true;
    type(QStringLiteral("a"));
    scheduler.advance(1s);
    EXPECT_EQ(notes.saved.size(), 1);
    scheduler.advance(10s);
    EXPECT_EQ(notes.saved.size(), 1); // no retry loop
    EXPECT_TRUE(updated.isEmpty());

    notes.failing = false;
    type(QStringLiteral("b"));
    scheduler.advance(1s);
    EXPECT_EQ(notes.saved, (QStringList{QStringLiteral("a"), QStringLiteral("ab")}));
    EXPECT_EQ(notes.real.loadNotes(record), QStringLiteral("ab"));
    EXPECT_EQ(updated.size(), 1);
}

TEST_F(MainWindowTest, LiveMeetingGrowsByAppendAndPatchWithoutRebuilding) {
    auto live = meeting(today(9, 0), {});
    live.duration = 0;
    state.setVisibleMeetings({live});
    state.setCurrentLiveMeetingID(live.id);
    state.setCaptionSourceName(QStringLiteral("Teams (Chromium)"));
    const QDateTime t = today(9, 0);
    state.setLiveTranscriptEntries({caption(t, QStringLiteral("Ann"), QStringLiteral("Hel"))});
    open();
    ASSERT_TRUE(window->openMeeting(live.id));
    EXPECT_EQ(detail().headerTitle(), QStringLiteral("Teams (Chromium)"));
    ASSERT_EQ(detail().transcriptStore().count(), 1);

    QAbstractItemModel* model = detail().transcriptPanel()->list()->model();
    QSignalSpy resets(model, &QAbstractItemModel::modelReset);
    QSignalSpy inserts(model, &QAbstractItemModel::rowsInserted);
    QSignalSpy changes(model, &QAbstractItemModel::dataChanged);
    state.updateLiveTranscript(0, {caption(t, QStringLiteral("Ann"), QStringLiteral("Hello all")),
                                   caption(t.addSecs(3), QStringLiteral("Bo"), QStringLiteral("Hi"))});
    EXPECT_EQ(resets.count(), 0);
    ASSERT_EQ(inserts.count(), 1);
    EXPECT_EQ(inserts[0][1].toInt(), 1);
    ASSERT_EQ(changes.count(), 1);
    EXPECT_EQ(changes[0][0].toModelIndex().row(), 0);
    EXPECT_EQ(detail().transcriptStore().entries()[0].text, QStringLiteral("Hello all"));
    EXPECT_EQ(detail().transcriptStore().entries()[1],
              (DisplayEntry{1, QStringLiteral("Bo"), QStringLiteral("09:00:03"), QStringLiteral("Hi"), 1}));

    // The sidebar's row runs with the capture.
    const MeetingListModel& sidebar = *window->sidebar()->model();
    state.setSessionDuration(125);
    EXPECT_EQ(sidebar.indexOf(live.id).data(Qt::AccessibleTextRole).toString(),
              QStringLiteral("Teams, 09:00, 02:05, Recording"));

    // No summary of a meeting still being recorded, from the toolbar or the tab.
    EXPECT_FALSE(window->summaryAction()->isEnabled());
    detail().setTab(DetailTab::summary);
    EXPECT_EQ(detail().summaryView()->statusText(),
              QStringLiteral("No summary yet Summaries can be generated after the meeting ends."));
    window->summaryAction()->trigger();
    detail().summarize();
    EXPECT_TRUE(summarized.isEmpty());

    // Once the meeting has ended, its saved transcript is shown and it can be summarised.
    QSignalSpy loaded(&detail(), &MeetingDetailView::transcriptLoaded);
    state.setCurrentLiveMeetingID(std::nullopt);
    ASSERT_TRUE(loaded.count() > 0 || loaded.wait(5000));
    EXPECT_TRUE(window->summaryAction()->isEnabled());
    type(QStringLiteral("my notes"));
    window->summaryAction()->trigger();
    ASSERT_EQ(summarized.size(), 1);
    EXPECT_EQ(summarized[0].second, QStringLiteral("my notes"));
}

TEST_F(MainWindowTest, SummaryShowsProgressWhileGeneratedAndTheFileOnceWritten) {
    auto record = meeting(today(9, 0), {{QStringLiteral("Ann"), QStringLiteral("Hello")}});
    state.setVisibleMeetings({record});
    open();
    selectAndLoad(record);
    detail().setTab(DetailTab::summary);
    EXPECT_EQ(detail().summaryView()->statusText(), QStringLiteral("No summary yet"));
    EXPECT_EQ(window->summaryAction()->toolTip(), QStringLiteral("Generate AI summary"));

    window->summaryAction()->trigger();
    ASSERT_EQ(summarized.size(), 1);
    state.setSummaryGeneratingMeetingID(record.id);
    state.setSummaryProgress(SummaryProgress{2, 5, false});
    EXPECT_FALSE(window->summaryAction()->isEnabled());
    EXPECT_EQ(detail().summaryView()->statusText(), QStringLiteral("Generating summary... Part 2 of 5"));

    // The summary is written and recorded, then the run ends: the file is read and shown.
    const QString summaryPath = dir.filePath(QStringLiteral("summary.md"));
    QFile file(summaryPath);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("# Meeting Summary\n\n## Decisions\n- Ship on **Friday**\n");
    file.close();
    record.summaryPath = summaryPath;
    state.setVisibleMeetings({record});
    QSignalSpy summaryRead(&detail(), &MeetingDetailView::summaryLoaded);
    state.setSummaryProgress(std::nullopt);
    state.setSummaryGeneratingMeetingID(std::nullopt);
    ASSERT_TRUE(summaryRead.count() > 0 || summaryRead.wait(5000));
    EXPECT_TRUE(detail().summaryView()->summaryText().contains(QStringLiteral("Ship on Friday")))
        << detail().summaryView()->summaryText().toStdString();
    EXPECT_TRUE(window->summaryAction()->isEnabled());
    EXPECT_EQ(window->summaryAction()->toolTip(), QStringLiteral("Regenerate AI summary"));
}

TEST_F(MainWindowTest, OpeningAMeetingAtAnEntrySelectsItOnceRead) {
    QList<std::pair<QString, QString>> lines;
    for (int i = 0; i < 200; ++i)
        lines.append({i % 2 ? QStringLiteral("Ann") : QStringLiteral("Bo"), QStringLiteral("line %1").arg(i)});
    const auto record = meeting(today(9, 0), lines);
    state.setVisibleMeetings({record});
    open();
    QSignalSpy loaded(&detail(), &MeetingDetailView::transcriptLoaded);
    ASSERT_TRUE(window->openMeeting(record.id, DetailTab::transcript, 150));
    ASSERT_TRUE(loaded.wait(5000));
    const QModelIndexList selected = detail().transcriptPanel()->list()->selectionModel()->selectedRows();
    ASSERT_EQ(selected.size(), 1);
    EXPECT_EQ(selected[0].row(), 150);
    EXPECT_EQ(detail().transcriptPanel()->selectedText(), QStringLiteral("[09:02:30] Bo: line 150"));
    EXPECT_FALSE(window->openMeeting(QUuid::createUuid()));
}

TEST_F(MainWindowTest, SearchResultsTakeTheListsPlaceAndOpenTheMeetingAtTheMatch) {
    // One speaker's utterances share a block: the hit in the fourth utterance is in the second block.
    const auto record = meeting(today(9, 0), {{"Ann", "alpha"}, {"Ann", "bravo"}, {"Bo", "charlie"},
                                              {"Bo", "the budget is approved"}, {"Ann", "echo"}});
    state.setVisibleMeetings({record});
    MeetingSearchIndex index(dir.path(), [this] { return state.visibleMeetings(); }, scheduler,
                             std::make_unique<ImmediateExecutor>(), dir.filePath("index.sqlite"));
    index.historyChanged();
    scheduler.advance(MeetingSearchIndex::directoryDelay);
    SearchSession search(scheduler);
    search.setIndex(&index);
    open(&search);
    window->show();
    SearchPanel* panel = window->searchPanel();
    ASSERT_NE(panel, nullptr);

    QApplication::setActiveWindow(window.get());
    QTest::keyClick(window.get(), Qt::Key_F, Qt::ControlModifier);
    EXPECT_TRUE(panel->field()->hasFocus());
    QSignalSpy loaded(&detail(), &MeetingDetailView::transcriptLoaded);
    QTest::keyClicks(panel->field(), QStringLiteral("budget"));
    scheduler.advance(SearchSession::typingPause);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window->sidebar()->list()->isVisibleTo(window.get()); }, 5000));

    QTest::keyClick(panel->field(), Qt::Key_Return);
    if (loaded.isEmpty())
        ASSERT_TRUE(loaded.wait(5000));
    EXPECT_EQ(detail().tab(), DetailTab::transcript);
    const QModelIndexList selected = detail().transcriptPanel()->list()->selectionModel()->selectedRows();
    ASSERT_EQ(selected.size(), 1);
    EXPECT_EQ(selected[0].row(), 1);

    QTest::keyClick(panel->field(), Qt::Key_Escape);
    EXPECT_TRUE(window->sidebar()->list()->isVisibleTo(window.get()));
    // The idle field leaves the height to the meetings.
    QCoreApplication::processEvents();
    EXPECT_LT(panel->height(), 3 * panel->field()->sizeHint().height());
}

TEST_F(MainWindowTest, ZoomKeysStepTheStoredTextSizeAndTheWindowsFontsFollow) {
    ZoomManager zoom(settings);
    state.configureZoom(&zoom);
    AppearanceController appearance(*qApp, settings, state);
    const auto record = meeting(today(9, 0), {});
    state.setVisibleMeetings({record});
    open();
    selectAndLoad(record);
    QLabel* title = nullptr;
    for (QLabel* label : window->findChildren<QLabel*>())
        if (label->accessibleName() == QStringLiteral("Meeting name"))
            title = label;
    ASSERT_NE(title, nullptr);
    const qreal titleSize = title->font().pointSizeF();
    const qreal listSize = detail().transcriptPanel()->list()->font().pointSizeF();
    window->show();
    QApplication::setActiveWindow(window.get());
    QTest::keyClick(window.get(), Qt::Key_Equal, Qt::ControlModifier);
    EXPECT_EQ(state.zoomLevel(), ZoomLevel::large);
    QTest::keyClick(window.get(), Qt::Key_Plus, Qt::ControlModifier);
    QTest::keyClick(window.get(), Qt::Key_Plus, Qt::ControlModifier); // stays at the largest
    EXPECT_EQ(state.zoomLevel(), ZoomLevel::extraLarge);
    EXPECT_EQ(settings.value(QStringLiteral("zoomLevel")).toString(), QStringLiteral("extraLarge"));
    QCoreApplication::processEvents(); // the new font reaches the widgets as posted events
    EXPECT_NEAR(title->font().pointSizeF(), titleSize * 1.2, 0.2);
    EXPECT_NEAR(detail().transcriptPanel()->list()->font().pointSizeF(), listSize * 1.2, 0.2);
    QTest::keyClick(window.get(), Qt::Key_Minus, Qt::ControlModifier);
    EXPECT_EQ(state.zoomLevel(), ZoomLevel::large);
    QTest::keyClick(window.get(), Qt::Key_0, Qt::ControlModifier);
    EXPECT_EQ(state.zoomLevel(), ZoomLevel::default_);
    EXPECT_EQ(settings.value(QStringLiteral("zoomLevel")).toString(), QStringLiteral("default"));
    QCoreApplication::processEvents();
    EXPECT_NEAR(title->font().pointSizeF(), titleSize, 0.2);
}

TEST_F(MainWindowTest, GeometryIsRestoredUnlessSmallerThanTheMinimum) {
    open();
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Velmora"));
    EXPECT_EQ(window->size(), MainWindow::idealSize);
    // The offscreen screen is 800 × 600: the saved size must fit it.
    window->resize(800, 560);
    window->close();
    open();
    EXPECT_EQ(window->size(), QSize(800, 560));

    // A window saved at 600 × 400 (an older version, a hand-edited file) opens at its ideal size.
    QWidget small;
    small.resize(600, 400);
    settings.setValue(QLatin1String(MainWindow::geometryKey), small.saveGeometry());
    open();
    EXPECT_EQ(window->size(), MainWindow::idealSize);
}

// A read that was overtaken or cancelled never delivers, even when it finishes last.
TEST(LatestReadTest, OnlyTheLatestReadDelivers) {
    QSemaphore release;
    QStringList delivered;
    {
        LatestRead read;
        read.start<QString>([&release] { release.acquire(); return QStringLiteral("old"); },
                            [&delivered](QString text) { delivered.append(text); });
        read.start<QString>([] { return QStringLiteral("new"); },
                            [&delivered](QString text) { delivered.append(text); });
        ASSERT_TRUE(QTest::qWaitFor([&] { return !delivered.isEmpty(); }, 5000));
        read.start<QString>([&release] { release.acquire(); return QStringLiteral("dropped"); },
                            [&delivered](QString text) { delivered.append(text); });
        read.cancel();
        release.release(2);
        QThreadPool::globalInstance()->waitForDone();
        QCoreApplication::processEvents();
    }
    QCoreApplication::processEvents();
    EXPECT_EQ(delivered, QStringList{QStringLiteral("new")});
}

} // namespace
