// The meetings window on the offscreen platform:
// - opening a meeting of 3,000 entries (a 3-hour transcript): file read + parse + first paint,
//   target 150 ms;
// - one live entry appended while 3,000 are shown: main-thread work, target 2 ms;
// - resident memory of the window with 1,000 meetings in the sidebar.
#include "ThreadCpuTime.h"
#include "app/AppState.h"
#include "app/FileRevealer.h"
#include "app/FixedOutputDirectory.h"
#include "capture/MarkdownFormatter.h"
#include "capture/QtScheduler.h"
#include "library/MeetingNotesManager.h"
#include "ui/MainWindow.h"
#include "ui/MeetingDetailView.h"
#include "ui/TranscriptPanel.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QFile>
#include <QListView>
#include <QSettings>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>

using namespace velmora;

namespace {

class NoRevealer final : public FileRevealer {
public:
    void revealFile(const QString&) override {}
};

double median(QList<double> values) {
    std::sort(values.begin(), values.end());
    return values.isEmpty() ? 0 : values[values.size() / 2];
}

long residentKb() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').front().toLong();
    return -1;
}

const QStringList sentences{
    QStringLiteral("I think we should look at the numbers from last quarter before deciding."),
    QStringLiteral("Right, and the rollout plan depends on what the support team can handle."),
    QStringLiteral("Can someone send the notes around after the call?"),
    QStringLiteral("Let's park that and come back to it on Thursday when Priya is here."),
};

CaptionEntry entryAt(const QDateTime& start, int i) {
    static const QStringList speakers{QStringLiteral("Ann Lee"), QStringLiteral("Bo Park"),
                                      QStringLiteral("Chidi Okafor"), QStringLiteral("Dana Wu")};
    return {start.addMSecs(qint64(i) * 3600), speakers[i % speakers.size()],
            sentences[i % sentences.size()] + QStringLiteral(" (%1)").arg(i)};
}

MeetingRecord writeMeeting(const QTemporaryDir& dir, const QDateTime& start, int entries) {
    MeetingRecord record;
    record.id = QUuid::createUuid();
    record.date = start;
    record.duration = entries * 3.6;
    const MarkdownFormatter formatter;
    QString text = formatter.formatHeader(start, start);
    QString previous;
    for (int i = 0; i < entries; ++i) {
        const CaptionEntry entry = entryAt(start, i);
        text += formatter.formatEntry(entry, entry.speaker != previous);
        previous = entry.speaker;
    }
    record.transcriptPath = dir.filePath(record.id.toString(QUuid::WithoutBraces) + QStringLiteral(".md"));
    QFile file(*record.transcriptPath);
    if (!file.open(QIODevice::WriteOnly))
        std::abort();
    file.write(text.toUtf8());
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
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QT_NO_GLIB", "1");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    QSettings settings(dir.filePath(QStringLiteral("bench.conf")), QSettings::IniFormat);
    AppState state;
    MeetingNotesManager notes;
    FixedOutputDirectory output(dir.path());
    NoRevealer revealer;
    QtScheduler scheduler;

    const long rssBefore = residentKb();
    const QDateTime now = QDateTime::currentDateTime();
    QList<MeetingRecord> meetings;
    // Two 3-hour meetings of 3,000 blocks (opened in turn), then 998 older ones, a day apart.
    meetings.append(writeMeeting(dir, now.addSecs(-4 * 3600), 3000));
    meetings.append(writeMeeting(dir, now.addDays(-1), 3000));
    for (int i = 0; i < 998; ++i) {
        MeetingRecord record;
        record.id = QUuid::createUuid();
        record.date = now.addDays(-2 - i);
        record.duration = 1800 + i;
        record.source = CaptionSources::all().at(i % 5);
        record.transcriptPath = dir.filePath(QStringLiteral("missing-%1.md").arg(i));
        meetings.append(record);
    }
    state.setVisibleMeetings(meetings);

    MainWindow window(MainWindowServices{state, notes, output, revealer, scheduler, settings, {}, {}, {}, {}, {}});
    window.show();
    window.grab();
    app.processEvents();
    const long rssWindow = residentKb();

    MeetingDetailView& detail = *window.detailView();
    QListView* list = detail.transcriptPanel()->list();
    QList<double> openMs;
    for (int run = 0; run < 9; ++run) {
        const MeetingRecord& record = meetings[run % 2];
        QElapsedTimer timer;
        timer.start();
        if (!waitFor(&detail, &MeetingDetailView::transcriptLoaded, [&] { window.openMeeting(record.id); }))
            return 2;
        list->viewport()->repaint(); // the first paint of the list, into the window
        openMs.append(timer.nsecsElapsed() / 1e6);
        if (detail.transcriptStore().count() != 3000)
            return 3;
    }

    // Live: 3,000 blocks shown, then one more, 50 times.
    state.setCurrentLiveMeetingID(meetings[0].id);
    QList<CaptionEntry> live;
    for (int i = 0; i < 3000; ++i)
        live.append(entryAt(now, i));
    state.setLiveTranscriptEntries(live);
    window.openMeeting(meetings[0].id);
    list->viewport()->grab();
    app.processEvents();
    QList<double> appendCpuMs, appendPaintMs;
    for (int i = 3000; i < 3050; ++i) {
        const double cpu = threadCpuMs();
        state.updateLiveTranscript(i, {entryAt(now, i)});
        app.processEvents(); // the list's deferred layout of the new row
        appendCpuMs.append(threadCpuMs() - cpu);
        const double paint = threadCpuMs();
        list->scrollToBottom();
        list->viewport()->repaint();
        appendPaintMs.append(threadCpuMs() - paint);
    }
    if (detail.transcriptStore().count() != 3050)
        return 4;

    std::printf("open 3,000-entry meeting (read + parse + first paint): median %.1f ms wall, max %.1f ms"
                " (target 150 ms)\n", median(openMs), *std::max_element(openMs.begin(), openMs.end()));
    std::printf("live append with 3,000 shown: median %.3f ms CPU, max %.3f ms (target 2 ms);"
                " repaint of the list %.2f ms CPU\n",
                median(appendCpuMs), *std::max_element(appendCpuMs.begin(), appendCpuMs.end()),
                median(appendPaintMs));
    std::printf("window with 1,000 meetings: RSS %ld KiB before, %ld KiB with the window shown "
                "(+%ld KiB), %ld KiB after the runs\n",
                rssBefore, rssWindow, rssWindow - rssBefore, residentKb());
    return 0;
}
