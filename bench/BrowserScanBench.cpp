// Scan and poll costs on real Chromium: the scanner's search of a ~3,000-node page by the fast
// path and by a plain walk (same run), and one poll of each web reader with its container cached.
#include "capture/QtScheduler.h"
#include "capture/SystemClock.h"
#include "harness/BrowserSession.h"
#include "sources/AXHelpers.h"
#include "sources/AXNames.h"
#include "sources/BrowserCaptionScanner.h"
#include "sources/BrowserMeetCaptionReader.h"
#include "sources/BrowserTeamsCaptionReader.h"
#include "sources/BrowserZoomCaptionReader.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <functional>

using namespace velmora;
using namespace velmora::e2e;

namespace {

double medianMs(int runs, const std::function<void()>& work) {
    QList<double> times;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        work();
        times.append(timer.nsecsElapsed() / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

int countNodes(Accessibility& ax, const AXElement& element) {
    int count = 1;
    for (const AXElement& child : AXHelpers::children(ax, element))
        count += countNodes(ax, child);
    return count;
}

template <typename Reader>
void benchReader(BrowserSession& session, const char* name, const QString& page, const QString& script) {
    AtspiAccessibility& ax = session.accessibility();
    session.open(page);
    session.run(script);
    QtScheduler scheduler;
    SystemClock clock;
    const ReaderEnvironment env{ax, ax.queue(), scheduler, clock};
    auto reader = std::make_shared<Reader>(env, session.browserPID());
    const AXElement app = ax.applicationElement(session.browserPID());
    AXPollResult first;
    ax.perform([&] { first = reader->pollAXTree(app, AXElement()); });
    if (first.kind != AXPollResult::Kind::found) {
        std::printf("%-6s reader: container not found\n", name);
        return;
    }
    qsizetype lines = 0;
    const double ms = medianMs(50, [&] {
        ax.perform([&] { lines = reader->pollAXTree(app, first.container).entries.size(); });
    });
    std::printf("%-6s reader poll, cached container, %lld lines: median %.2f ms\n", name, qlonglong(lines), ms);
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_NO_GLIB", "1");
    QCoreApplication app(argc, argv);
    BrowserSession session;
    AtspiAccessibility& ax = session.accessibility();
    const qint32 pid = session.browserPID();

    session.open(QStringLiteral("big.html"));
    const AXElement browser = ax.applicationElement(pid);
    int pageNodes = 0;
    ax.perform([&] {
        std::function<void(const AXElement&)> visit = [&](const AXElement& node) {
            if (AXHelpers::role(ax, node) == AXRole::webArea) {
                pageNodes += countNodes(ax, node);
                return;
            }
            for (const AXElement& child : AXHelpers::children(ax, node))
                visit(child);
        };
        visit(browser);
    });

    const QList<BrowserTargetConfig> configs = BrowserCaptionScanner::standardConfigs();
    QList<BrowserCaptionTarget> targets;
    for (const BrowserTargetConfig& config : configs)
        targets.append(config.target);
    const QList<BrowserProcess> browsers{{pid, QStringLiteral("org.chromium.Chromium")}};
    QHash<CaptionSource, qint32> seen;
    BrowserCaptionScanner::scanBrowsers(ax, browsers, targets, configs); // first sight of every node
    const double fast = medianMs(30, [&] { seen = BrowserCaptionScanner::scanBrowsers(ax, browsers, targets, configs); });
    QHash<BrowserCaptionTarget, AXElement> walked;
    const double walk = medianMs(5, [&] {
        ax.perform([&] { walked = AXHelpers::findWebTargets(ax, browser, targets, 0, 40); });
    });
    std::printf("page: %d nodes in the web document; sources seen: %lld (walk found %lld targets)\n", pageNodes,
                qlonglong(seen.size()), qlonglong(walked.size()));
    std::printf("scan, fast path:  median %.1f ms\n", fast);
    std::printf("scan, plain walk: median %.1f ms (%.0fx the fast path)\n", walk, walk / fast);

    benchReader<BrowserMeetCaptionReader>(
        session, "Meet", QStringLiteral("meet.html"),
        QStringLiteral("filler(document.body, 600, 'Side'); meet.show(); "
                       "['Ana', 'Bo', 'Cy', 'Dee'].forEach((n, i) => meet.say(n, 'Caption text number ' + i + ' goes on'))"));
    benchReader<BrowserTeamsCaptionReader>(
        session, "Teams", QStringLiteral("teams.html"),
        QStringLiteral("filler(document.body, 600, 'Side'); teams.show({spaced: true}); "
                       "['Ana', 'Bo', 'Cy', 'Dee'].forEach((n, i) => teams.say(n, 'Caption text number ' + i))"));
    // A long meeting's list: 30 items, each avatar, author and text in wrappers of their own.
    benchReader<BrowserTeamsCaptionReader>(
        session, "Teams30", QStringLiteral("teams.html"),
        QStringLiteral("filler(document.body, 600, 'Side'); teams.show({nesting: 'outer'}); "
                       "for (let i = 0; i < 30; ++i) teams.say('Speaker ' + i % 4, 'Caption text number ' + i)"));
    benchReader<BrowserZoomCaptionReader>(
        session, "Zoom", QStringLiteral("zoom.html"),
        QStringLiteral("filler(zoom.doc().body, 600, 'Side'); zoom.show(); "
                       "[0, 1, 2, 3].forEach((i) => zoom.line('Caption text number ' + i))"));
    return 0;
}
