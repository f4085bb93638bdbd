#include "app/TrayMenuModel.h"

#include "app/AppState.h"
#include "app/TrayMenuActions.h"
#include "capture/Clock.h"
#include "library/MeetingFormatters.h"

#include <QFileInfo>

namespace velmora {

namespace {

const QString accessibilityWord = QStringLiteral("Accessibility");

bool fileExists(const std::optional<QString>& path) {
    return path && QFileInfo(*path).isFile();
}

} // namespace

TrayMenuModel::TrayMenuModel(const AppState& state, TrayMenuActions& actions, const Clock& clock)
    : state_(state), actions_(actions), clock_(clock) {}

TrayMenuModel::Icon TrayMenuModel::iconFor(const CaptureState& state) {
    switch (state.kind()) {
    case CaptureState::Kind::error: return Icon::error;
    case CaptureState::Kind::capturing: return Icon::capturing;
    default: return Icon::watching;
    }
}

QString TrayMenuModel::toolTip() const {
    const CaptureState state = state_.captureState();
    QString doing;
    switch (state.kind()) {
    case CaptureState::Kind::idle: doing = QStringLiteral("Not monitoring"); break;
    case CaptureState::Kind::monitoring: doing = QStringLiteral("Monitoring for captions..."); break;
    case CaptureState::Kind::capturing:
    case CaptureState::Kind::paused:
        doing = QStringLiteral("Capturing %1").arg(state_.captionSourceName());
        break;
    case CaptureState::Kind::stopped: doing = QStringLiteral("Transcript saved"); break;
    case CaptureState::Kind::error: doing = state.message(); break;
    }
    return QStringLiteral("Velmora — ") + doing;
}

QString TrayMenuModel::meetingTitle(const MeetingRecord& record, const QDateTime& now) {
    return MeetingFormatters::formatDate(record.date, now) + QStringLiteral(" — ") +
           CaptionSources::meetingTitle(record.source) + QStringLiteral(" (") +
           MeetingFormatters::formatDuration(record.duration) + QStringLiteral(")");
}

QList<MenuEntry> TrayMenuModel::entries() const {
    QList<MenuEntry> entries{MenuEntry::action(QStringLiteral("Open Velmora"),
                                               [this] { actions_.openMainWindow(); }),
                             MenuEntry::separator()};
    entries += statusEntries();
    entries += {MenuEntry::separator(), meetingsMenu(), MenuEntry::separator(),
                MenuEntry::action(QStringLiteral("Check for Updates..."),
                                  [this] { actions_.checkForUpdates(); }),
                MenuEntry::action(QStringLiteral("Quit Velmora"), [this] { actions_.quit(); })};
    return entries;
}

QList<MenuEntry> TrayMenuModel::statusEntries() const {
    const CaptureState state = state_.captureState();
    switch (state.kind()) {
    case CaptureState::Kind::idle:
        return {MenuEntry::action(QStringLiteral("Start Monitoring"),
                                  [this] { actions_.startMonitoring(); })};
    case CaptureState::Kind::monitoring:
        return {MenuEntry::info(QStringLiteral("Monitoring for captions...")),
                MenuEntry::action(QStringLiteral("Pause Monitoring"),
                                  [this] { actions_.pauseMonitoring(); })};
    case CaptureState::Kind::capturing:
    case CaptureState::Kind::paused:
        return {MenuEntry::info(state_.captionSourceName() + QStringLiteral(" · ") +
                                state_.formattedDuration()),
                MenuEntry::info(QStringLiteral("%1 lines captured").arg(state_.lineCount()))};
    case CaptureState::Kind::stopped:
        return {MenuEntry::info(QStringLiteral("Transcript saved"))};
    case CaptureState::Kind::error: {
        QList<MenuEntry> entries{MenuEntry::info(state.message())};
        if (state.message().contains(accessibilityWord))
            entries.append(MenuEntry::action(QStringLiteral("Turn On Accessibility"),
                                             [this] { actions_.turnOnAccessibility(); }));
        entries.append(MenuEntry::action(QStringLiteral("Retry"), [this] { actions_.retry(); }));
        return entries;
    }
    }
    Q_UNREACHABLE();
}

MenuEntry TrayMenuModel::meetingsMenu() const {
    QList<MenuEntry> children;
    const QList<MeetingRecord> meetings = state_.visibleMeetings();
    if (meetings.isEmpty())
        children.append(MenuEntry::info(QStringLiteral("No meetings yet")));
    const QDateTime now = clock_.now();
    for (const MeetingRecord& record : meetings)
        children.append(MenuEntry::submenu(meetingTitle(record, now), meetingEntries(record)));
    children += {MenuEntry::separator(),
                 MenuEntry::action(QStringLiteral("Open Transcripts Folder"),
                                   [this] { actions_.openTranscriptsFolder(); })};
    return MenuEntry::submenu(QStringLiteral("Your Meetings"), children);
}

QList<MenuEntry> TrayMenuModel::meetingEntries(const MeetingRecord& record) const {
    QList<MenuEntry> entries;
    if (fileExists(record.transcriptPath)) {
        entries.append(MenuEntry::action(QStringLiteral("Open Transcript"),
                                         [this, path = *record.transcriptPath] { actions_.openFile(path); }));
    } else {
        entries.append(MenuEntry::info(QStringLiteral("Transcript unavailable")));
    }
    if (fileExists(record.summaryPath)) {
        const QString summary = *record.summaryPath;
        entries += {MenuEntry::action(QStringLiteral("Open Summary"),
                                      [this, summary] { actions_.openFile(summary); }),
                    MenuEntry::action(QStringLiteral("Export as PDF"),
                                      [this, summary] { actions_.exportSummary(summary, ExportFormat::pdf); }),
                    MenuEntry::action(QStringLiteral("Export as DOCX"), [this, summary] {
                        actions_.exportSummary(summary, ExportFormat::docx);
                    })};
    }
    if (record.transcriptPath)
        entries.append(MenuEntry::action(QStringLiteral("Summarize"),
                                         [this, record] { actions_.summarize(record); }));
    entries.append(MenuEntry::action(QStringLiteral("Show in File Manager"),
                                     [this, record] { actions_.showInFileManager(record); }));
    return entries;
}

} // namespace velmora
