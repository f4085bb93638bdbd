#include "ui/MainWindow.h"

#include "app/AppState.h"
#include "app/CompositionRoot.h"
#include "app/FileRevealer.h"
#include "app/OutputDirectoryProvider.h"
#include "ui/EmptyStatePanel.h"
#include "ui/MeetingDetailView.h"
#include "ui/MeetingSidebar.h"
#include "ui/SearchPanel.h"
#include "ui/SettingsPage.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QShortcut>
#include <QSplitter>
#include <QStackedWidget>
#include <QStyle>
#include <QToolBar>
#include <QUrl>

namespace velmora {

namespace {

bool askBeforeDeleting(QWidget* parent, const MeetingRecord&) {
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Delete Meeting?"),
                    QStringLiteral("The transcript and any associated files will be permanently deleted."),
                    QMessageBox::NoButton, parent);
    box.addButton(QMessageBox::Cancel);
    QPushButton* remove = box.addButton(QStringLiteral("Delete"), QMessageBox::DestructiveRole);
    box.setDefaultButton(QMessageBox::Cancel);
    box.exec();
    return box.clickedButton() == remove;
}

QIcon themed(const char* name, QStyle::StandardPixmap fallback) {
    return QIcon::fromTheme(QString::fromLatin1(name), QApplication::style()->standardIcon(fallback));
}

} // namespace

MainWindow::MainWindow(MainWindowServices services, QWidget* parent)
    : QMainWindow(parent), services_(std::move(services)),
      sidebar_(new MeetingSidebar(services_.appState, this)), detailStack_(new QStackedWidget(this)),
      emptyDetail_(new EmptyStatePanel(
          QStringLiteral("Select a meeting"),
          QStringLiteral("Choose a meeting from the sidebar to view its transcript and notes."), this)),
      detailView_(new MeetingDetailView(services_, this)),
      settingsPage_(new EmptyStatePanel(QStringLiteral("Settings"), QString(), this)),
      splitter_(new QSplitter(this)) {
    if (!services_.confirmDelete)
        services_.confirmDelete = &askBeforeDeleting;
    if (!services_.openFolder)
        services_.openFolder = [](const QString& folder) {
            QDesktopServices::openUrl(QUrl::fromLocalFile(folder));
        };
    setWindowTitle(QStringLiteral("Velmora"));
    setAccessibleName(QStringLiteral("Velmora"));
    setMinimumSize(minimumContentSize);
    detailStack_->setAccessibleName(QStringLiteral("Meeting details"));
    detailStack_->addWidget(emptyDetail_);
    detailStack_->addWidget(detailView_);
    detailStack_->addWidget(settingsPage_);
    splitter_->addWidget(sidebar_);
    splitter_->addWidget(detailStack_);
    splitter_->setStretchFactor(1, 1);
    splitter_->setChildrenCollapsible(false);
    splitter_->setSizes({260, idealSize.width() - 260});
    setCentralWidget(splitter_);
    buildToolbar();
    buildZoomShortcuts();
    buildSearch();

    connect(sidebar_, &MeetingSidebar::selectionChanged, this, [this](const std::optional<QUuid>& id) {
        setSelection(id ? std::optional(MeetingSelection::record(*id)) : std::nullopt);
    });
    connect(sidebar_, &MeetingSidebar::revealRequested, this, [this](const MeetingRecord& record) {
        if (record.transcriptPath)
            services_.fileRevealer.revealFile(*record.transcriptPath);
    });
    connect(sidebar_, &MeetingSidebar::deleteRequested, this, &MainWindow::requestDelete);
    connect(&services_.appState, &AppState::visibleMeetingsChanged, this, &MainWindow::onMeetingsChanged);
    connect(detailView_, &MeetingDetailView::actionsChanged, this, &MainWindow::refreshActions);
    restoreWindowGeometry();
    showSelection();
}

// The detail view is deleted with the other children after this window's members are gone:
// its notes are saved now, while everything they need is alive.
MainWindow::~MainWindow() { detailView_->leave(); }

std::unique_ptr<MainWindow> MainWindow::create(CompositionRoot& root, AppearanceController& appearance,
                                              std::function<void()> onSetupGuide,
                                              AutostartManager* autostart) {
    auto window = std::make_unique<MainWindow>(MainWindowServices::from(root));
    window->setSettingsPage(new SettingsPage(SettingsPage::Services{
        root.appState(), root.settings(), root.outputDirectory(), root.formatSettings(), appearance,
        root.permissionChecker(), root.notificationCenter(), root.scheduler(), &root.library(),
        std::move(onSetupGuide), {}, {}, autostart, &root.platform().accessibilityQueue}));
    return window;
}

void MainWindow::buildToolbar() {
    auto* toolbar = addToolBar(QStringLiteral("Toolbar"));
    toolbar->setObjectName(QStringLiteral("toolbar"));
    toolbar->setAccessibleName(QStringLiteral("Toolbar"));
    toolbar->setMovable(false);
    toolbar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);

    openFolder_ = toolbar->addAction(themed("folder", QStyle::SP_DirIcon), QStringLiteral("Open Folder"));
    openFolder_->setToolTip(QStringLiteral("Open transcript folder in the file manager"));
    connect(openFolder_, &QAction::triggered, this,
            [this] { services_.openFolder(services_.outputDirectory.outputDirectory()); });
    toolbar->addSeparator();

    copyTranscript_ = toolbar->addAction(themed("edit-copy", QStyle::SP_FileIcon),
                                         QStringLiteral("Copy Transcript"));
    copyTranscript_->setToolTip(QStringLiteral("Copy full transcript to clipboard"));
    connect(copyTranscript_, &QAction::triggered, this,
            [this] { QApplication::clipboard()->setText(detailView_->transcriptText()); });

    summary_ = toolbar->addAction(themed("tools-check-spelling", QStyle::SP_FileDialogContentsView),
                                  QStringLiteral("AI Summary"));
    connect(summary_, &QAction::triggered, detailView_, &MeetingDetailView::summarize);

    reveal_ = toolbar->addAction(themed("system-file-manager", QStyle::SP_DirOpenIcon),
                                 QStringLiteral("Show in File Manager"));
    reveal_->setToolTip(QStringLiteral("Show the transcript file in the file manager"));
    connect(reveal_, &QAction::triggered, this, [this] {
        if (const auto record = selectedRecord(); record && record->transcriptPath)
            services_.fileRevealer.revealFile(*record->transcriptPath);
    });

    auto* spacer = new QWidget(toolbar);
    spacer->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    toolbar->addWidget(spacer);
    settings_ = toolbar->addAction(themed("preferences-system", QStyle::SP_FileDialogDetailedView),
                                   QStringLiteral("Settings"));
    settings_->setToolTip(QStringLiteral("Settings"));
    connect(settings_, &QAction::triggered, this,
            [this] { setSelection(MeetingSelection::settings()); });
}

void MainWindow::buildZoomShortcuts() {
    AppState& state = services_.appState;
    // The desktop's zoom keys may repeat ours; a key bound twice would be ambiguous and do nothing.
    QList<QKeySequence> bound;
    const auto bind = [this, &bound](QList<QKeySequence> keys, std::function<void()> step) {
        for (const QKeySequence& key : keys) {
            if (key.isEmpty() || bound.contains(key))
                continue;
            bound.append(key);
            auto* shortcut = new QShortcut(key, this);
            shortcut->setContext(Qt::WindowShortcut);
            connect(shortcut, &QShortcut::activated, this, step);
        }
    };
    // Ctrl+= is where "+" sits without Shift on most layouts.
    bind(QList<QKeySequence>{QKeySequence(Qt::CTRL | Qt::Key_Equal), QKeySequence(Qt::CTRL | Qt::Key_Plus)} +
             QKeySequence::keyBindings(QKeySequence::ZoomIn),
         [&state] { state.setZoomLevel(ZoomLevels::zoomedIn(state.zoomLevel())); });
    bind(QList<QKeySequence>{QKeySequence(Qt::CTRL | Qt::Key_Minus)} +
             QKeySequence::keyBindings(QKeySequence::ZoomOut),
         [&state] { state.setZoomLevel(ZoomLevels::zoomedOut(state.zoomLevel())); });
    bind({QKeySequence(Qt::CTRL | Qt::Key_0)}, [&state] { state.setZoomLevel(ZoomLevel::default_); });
}

void MainWindow::buildSearch() {
    if (!services_.search)
        return;
    searchPanel_ = new SearchPanel(*services_.search, sidebar_);
    sidebar_->insertAboveList(searchPanel_);
    connect(searchPanel_, &SearchPanel::activeChanged, sidebar_,
            [this](bool active) { sidebar_->setListShown(!active); });
    connect(searchPanel_, &SearchPanel::resultChosen, this, &MainWindow::openSearchResult);
    auto* find = new QShortcut(QKeySequence::Find, this);
    find->setContext(Qt::WindowShortcut);
    connect(find, &QShortcut::activated, searchPanel_, &SearchPanel::focusField);
}

bool MainWindow::openSearchResult(const SearchResult& result) {
    switch (result.kind) {
    case SearchEntryKind::transcript: return openMeeting(result.meetingID, DetailTab::transcript, result.ordinal);
    case SearchEntryKind::notes: return openMeeting(result.meetingID, DetailTab::notes);
    case SearchEntryKind::summary: break;
    }
    return openMeeting(result.meetingID, DetailTab::summary);
}

void MainWindow::restoreWindowGeometry() {
    resize(idealSize);
    const QByteArray saved = services_.settings.value(QLatin1String(geometryKey)).toByteArray();
    if (saved.isEmpty())
        return;
    // A window saved smaller than it may be (or garbled) starts over at its ideal size. The
    // minimum is lifted while restoring, or Qt would quietly stretch the saved size to it.
    setMinimumSize(0, 0);
    const bool restored = restoreGeometry(saved);
    const bool tooSmall =
        width() < minimumContentSize.width() || height() < minimumContentSize.height();
    setMinimumSize(minimumContentSize);
    if (!restored || tooSmall) {
        services_.settings.remove(QLatin1String(geometryKey));
        resize(idealSize);
    }
}

void MainWindow::saveWindowGeometry() {
    services_.settings.setValue(QLatin1String(geometryKey), saveGeometry());
}

void MainWindow::closeEvent(QCloseEvent* event) {
    detailView_->saveNotesNow();
    saveWindowGeometry();
    QMainWindow::closeEvent(event);
}

void MainWindow::hideEvent(QHideEvent* event) {
    detailView_->saveNotesNow();
    saveWindowGeometry();
    QMainWindow::hideEvent(event);
}

void MainWindow::showAndRaise() {
    if (isMinimized())
        showNormal();
    else
        show();
    raise();
    activateWindow();
}

void MainWindow::setSettingsPage(QWidget* page) {
    const bool showing = detailStack_->currentWidget() == settingsPage_;
    detailStack_->removeWidget(settingsPage_);
    settingsPage_->deleteLater();
    settingsPage_ = page;
    detailStack_->addWidget(settingsPage_);
    if (showing)
        detailStack_->setCurrentWidget(settingsPage_);
}

QWidget* MainWindow::currentDetail() const { return detailStack_->currentWidget(); }

std::optional<MeetingRecord> MainWindow::selectedRecord() const {
    if (!selection_ || selection_->isSettings())
        return std::nullopt;
    for (const MeetingRecord& record : services_.appState.visibleMeetings())
        if (record.id == *selection_->recordId())
            return record;
    return std::nullopt;
}

void MainWindow::setSelection(const std::optional<MeetingSelection>& selection) {
    selection_ = selection;
    sidebar_->select(selection && !selection->isSettings() ? selection->recordId() : std::nullopt);
    showSelection();
}

bool MainWindow::openMeeting(const QUuid& meetingId, DetailTab tab, std::optional<int> utterance) {
    setSelection(MeetingSelection::record(meetingId));
    if (!selectedRecord())
        return false;
    detailView_->setTab(tab);
    if (utterance && tab == DetailTab::transcript)
        detailView_->showEntry(*utterance);
    return true;
}

void MainWindow::showSelection() {
    if (selection_ && selection_->isSettings()) {
        detailView_->leave();
        detailStack_->setCurrentWidget(settingsPage_);
    } else if (const auto record = selectedRecord()) {
        detailView_->showMeeting(*record);
        detailStack_->setCurrentWidget(detailView_);
    } else {
        detailView_->leave();
        detailStack_->setCurrentWidget(emptyDetail_);
    }
    refreshActions();
}

void MainWindow::onMeetingsChanged() {
    // The list was rebuilt: select the same meeting again, or let it go if it is gone.
    if (selection_ && !selection_->isSettings() && !selectedRecord())
        selection_.reset();
    sidebar_->select(selection_ && !selection_->isSettings() ? selection_->recordId() : std::nullopt);
    showSelection();
}

void MainWindow::requestDelete(const MeetingRecord& record) {
    if (!services_.confirmDelete(this, record))
        return;
    if (selection_ && selection_->recordId() == record.id) {
        detailView_->discard();
        setSelection(std::nullopt);
    }
    if (services_.deleteMeeting)
        services_.deleteMeeting(record);
}

void MainWindow::refreshActions() {
    const auto record = selectedRecord();
    const bool meeting = record.has_value() && detailStack_->currentWidget() == detailView_;
    const bool live = meeting && detailView_->isLive();
    const bool generating = meeting && detailView_->isGenerating();
    copyTranscript_->setEnabled(meeting && detailView_->transcriptStore().count() > 0);
    summary_->setEnabled(meeting && !live && !generating);
    summary_->setToolTip(meeting && record->summaryPath ? QStringLiteral("Regenerate AI summary")
                                                        : QStringLiteral("Generate AI summary"));
    summary_->setText(generating ? QStringLiteral("Summarizing...") : QStringLiteral("AI Summary"));
    reveal_->setEnabled(meeting && record->transcriptPath.has_value());
}

} // namespace velmora
