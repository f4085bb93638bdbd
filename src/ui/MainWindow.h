#pragma once

#include "library/MeetingRecord.h"
#include "library/MeetingSelection.h"
#include "ui/DetailTab.h"
#include "ui/MainWindowServices.h"

#include <QMainWindow>

#include <functional>
#include <memory>
#include <optional>

class QAction;
class QSplitter;
class QStackedWidget;

namespace velmora {

class AppearanceController;
class AutostartManager;
class CompositionRoot;
class EmptyStatePanel;
class MeetingDetailView;
class MeetingSidebar;
class SearchPanel;
struct SearchResult;

// The meetings window: the sidebar of meetings by day, and the selected meeting (or the
// settings page) beside it. Main thread.
class MainWindow final : public QMainWindow {
    Q_OBJECT
public:
    static constexpr auto geometryKey = "mainWindowGeometry";
    static constexpr QSize idealSize{1000, 650};
    static constexpr QSize minimumContentSize{800, 500};

    explicit MainWindow(MainWindowServices services, QWidget* parent = nullptr);
    ~MainWindow() override;
    // The window over the application's own objects, with its settings page, not shown yet.
    // `onSetupGuide` reopens the first-run guide (the settings page's button).
    static std::unique_ptr<MainWindow> create(CompositionRoot& root, AppearanceController& appearance,
                                              std::function<void()> onSetupGuide = {},
                                              AutostartManager* autostart = nullptr);

    void showAndRaise();
    // Selects the meeting, switches to `tab` and, for the transcript, shows the block holding
    // the utterance with that ordinal once it is read. False when the meeting is not in the list.
    bool openMeeting(const QUuid& meetingId, DetailTab tab = DetailTab::transcript,
                     std::optional<int> utterance = std::nullopt);
    // Opens the meeting of a search result where the match is.
    bool openSearchResult(const SearchResult& result);
    void setSelection(const std::optional<MeetingSelection>& selection);
    std::optional<MeetingSelection> selection() const { return selection_; }
    // The settings page shown for the `settings` selection; the window takes ownership.
    void setSettingsPage(QWidget* page);
    // Asks, then deletes; a deleted selected meeting leaves "Select a meeting".
    void requestDelete(const MeetingRecord& record);

    MeetingSidebar* sidebar() const { return sidebar_; }
    SearchPanel* searchPanel() const { return searchPanel_; }
    MeetingDetailView* detailView() const { return detailView_; }
    QWidget* currentDetail() const;
    QAction* openFolderAction() const { return openFolder_; }
    QAction* copyTranscriptAction() const { return copyTranscript_; }
    QAction* summaryAction() const { return summary_; }
    QAction* revealAction() const { return reveal_; }
    QAction* settingsAction() const { return settings_; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void buildToolbar();
    void buildZoomShortcuts();
    void buildSearch();
    void restoreWindowGeometry();
    void saveWindowGeometry();
    void onMeetingsChanged();
    void showSelection();
    void refreshActions();
    std::optional<MeetingRecord> selectedRecord() const;

    MainWindowServices services_;
    std::optional<MeetingSelection> selection_;
    MeetingSidebar* sidebar_;
    SearchPanel* searchPanel_ = nullptr;
    QStackedWidget* detailStack_;
    EmptyStatePanel* emptyDetail_;
    MeetingDetailView* detailView_;
    QWidget* settingsPage_;
    QSplitter* splitter_;
    QAction* openFolder_ = nullptr;
    QAction* copyTranscript_ = nullptr;
    QAction* summary_ = nullptr;
    QAction* reveal_ = nullptr;
    QAction* settings_ = nullptr;
};

} // namespace velmora
