// Renders the README's pictures of the meetings window on the offscreen platform:
//   velmora_screenshots <folder>
// writes window-transcript.png, window-notes.png, window-summary.png and window-dark.png.
#include "app/AppState.h"
#include "app/ZoomLevel.h"
#include "app/FileRevealer.h"
#include "app/FixedOutputDirectory.h"
#include "capture/MarkdownFormatter.h"
#include "capture/QtScheduler.h"
#include "library/MeetingNotesManager.h"
#include "library/search/MeetingSearchIndex.h"
#include "library/search/SearchSession.h"
#include "ui/AppearanceController.h"
#include "ui/MainWindow.h"
#include "ui/MeetingDetailView.h"
#include "ui/SearchPanel.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QLineEdit>
#include <QFile>
#include <QPlainTextEdit>
#include <QSettings>
#include <QTemporaryDir>

#include <cstdio>
#include <functional>

using namespace velmora;

namespace {

class NoRevealer final : public FileRevealer {
public:
    void revealFile(const QString&) override {}
};

void write(const QString& path, const QString& text) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        std::abort();
    file.write(text.toUtf8());
}

MeetingRecord sampleMeeting(const QTemporaryDir& dir, const QDateTime& start) {
    const QList<CaptionEntry> lines{
        {start, QStringLiteral("Priya Natarajan"), QStringLiteral("Morning everyone. Let's go through the launch checklist first, then the support rota.")},
        {start.addSecs(9), QStringLiteral("Priya Natarajan"), QStringLiteral("Marco, where are we with the migration?")},
        {start.addSecs(16), QStringLiteral("Marco Rossi"), QStringLiteral("The staging run finished overnight. Two tables were slow, I'll have numbers by Thursday.")},
        {start.addSecs(31), QStringLiteral("Aiko Tanaka"), QStringLiteral("Support can take the first week if we get the FAQ by Monday.")},
        {start.addSecs(44), QStringLiteral("Priya Natarajan"), QStringLiteral("Good. Then we keep the launch on the 14th and review the numbers on Thursday.")},
        {start.addSecs(58), QStringLiteral("Marco Rossi"), QStringLiteral("Works for me.")},
    };
    MeetingRecord record;
    record.id = QUuid::createUuid();
    record.date = start;
    record.duration = 1740;
    record.source = CaptionSource::browserMeet;
    record.transcriptPath = dir.filePath(QStringLiteral("launch.md"));
    const MarkdownFormatter formatter;
    QString text = formatter.formatHeader(start, start);
    QString previous;
    for (const CaptionEntry& line : lines) {
        text += formatter.formatEntry(line, line.speaker != previous);
        previous = line.speaker;
    }
    write(*record.transcriptPath, text);
    record.summaryPath = dir.filePath(QStringLiteral("launch-summary.md"));
    write(*record.summaryPath, QStringLiteral(
        "# Meeting Summary\n\n## Key Topics\n- Launch checklist\n- Database migration\n- Support rota\n\n"
        "## Action Items\n- **Marco**: migration numbers by Thursday\n- **Aiko**: support FAQ by Monday\n\n"
        "## Decisions\n- The launch stays on the 14th\n\n## Attendees\n- Priya Natarajan\n- Marco Rossi\n- Aiko Tanaka\n"));
    write(MeetingNotesManager::notesPath(*record.transcriptPath), QStringLiteral(
        "# Launch sync\n\n- [ ] Ask **Marco** for the slow tables\n- Support FAQ: `docs/faq.md`\n\n> Keep the 14th.\n"));
    return record;
}


// Runs events until `signal` of `sender` came, at most 10 s; false on time-out.
template <typename Sender, typename Signal>
bool waitFor(const Sender* sender, Signal signal, const std::function<void()>& trigger) {
    bool came = false;
    const auto connection = QObject::connect(sender, signal, sender, [&came] { came = true; });
    trigger();
    QDeadlineTimer deadline(10000);
    while (!came && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    QObject::disconnect(connection);
    return came;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QT_NO_GLIB", "1");
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: velmora_screenshots <folder>\n");
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    QTemporaryDir dir;
    QSettings settings(dir.filePath(QStringLiteral("shots.conf")), QSettings::IniFormat);
    AppState state;
    MeetingNotesManager notes;
    FixedOutputDirectory output(dir.path());
    NoRevealer revealer;
    QtScheduler scheduler;
    AppearanceController appearance(app, settings, state);
    appearance.setMode(AppearanceMode::light);

    const QDateTime now = QDateTime::currentDateTime();
    const MeetingRecord launch = sampleMeeting(dir, QDateTime(now.date(), QTime(9, 30)));
    QList<MeetingRecord> meetings{launch};
    for (int i = 0; i < 6; ++i) {
        MeetingRecord record;
        record.id = QUuid::createUuid();
        record.date = QDateTime(now.date().addDays(-(i / 2) - (i ? 1 : 0)), QTime(16 - 2 * i % 7, 15 * (i % 4)));
        record.duration = 900 + 1100 * i;
        record.source = CaptionSources::all().at(i % 5);
        meetings.append(record);
    }
    state.setVisibleMeetings(meetings);

    MeetingSearchIndex index(dir.path(), [&state] { return state.visibleMeetings(); }, scheduler, nullptr,
                             dir.filePath(QStringLiteral("index.sqlite")));
    waitFor(&index, &MeetingSearchIndex::indexChanged, [&index] { index.historyChanged(); });
    SearchSession search(scheduler);
    search.setIndex(&index);

    MainWindowServices services{state, notes, output, revealer, scheduler, settings, {}, {}, {}, {}, {}};
    services.search = &search;
    MainWindow window(services);
    window.show();
    // The summary is read after the transcript; both are in once the summary has come.
    waitFor(window.detailView(), &MeetingDetailView::summaryLoaded, [&] { window.openMeeting(launch.id); });
    const auto shoot = [&](const QString& name) {
        // Long transcripts are laid out in batches between events: let them finish.
        QDeadlineTimer settled(300);
        while (!settled.hasExpired())
            app.processEvents(QEventLoop::AllEvents, 20);
        // The first grab of an offscreen window can come out without the list's rows.
        window.grab();
        if (!window.grab().save(out.filePath(name)))
            std::fprintf(stderr, "cannot write %s\n", qPrintable(out.filePath(name)));
    };
    shoot(QStringLiteral("window-transcript.png"));
    window.detailView()->setTab(DetailTab::notes);
    shoot(QStringLiteral("window-notes.png"));
    window.detailView()->setTab(DetailTab::summary);
    shoot(QStringLiteral("window-summary.png"));
    waitFor(&search, &SearchSession::resultsReady,
            [&] { window.searchPanel()->field()->setText(QStringLiteral("migration")); });
    shoot(QStringLiteral("window-search.png"));
    window.searchPanel()->clear();
    appearance.setMode(AppearanceMode::dark);
    window.detailView()->setTab(DetailTab::transcript);
    shoot(QStringLiteral("window-dark.png"));
    state.setZoomLevel(ZoomLevel::extraLarge);
    shoot(QStringLiteral("window-dark-large-text.png"));
    return 0;
}
