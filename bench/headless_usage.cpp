// CPU and memory of `velmora --headless` on a private desktop with Chromium open on a meeting
// page: 60 s while monitoring (no captions), then 60 s while capturing captions that change
// every 0.7 s. Reads the process's /proc/PID/stat (user + system time) and /proc/PID/status
// (VmRSS). Targets: monitoring ≤ 0.2 % of one core and ≤ 50 MB; capturing ≤ 1 % of one core.
// Usage: bench_headless_usage [seconds per phase] [page nodes]
#include "ProcessUsage.h"
#include "harness/BrowserSession.h"
#include "harness/HeadlessVelmora.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <unistd.h>

using namespace velmora::e2e;
using velmora::bench::cpuTicks;
using velmora::bench::rssMB;

namespace {

constexpr double monitoringCpuBudget = 0.2;
constexpr double capturingCpuBudget = 1.0;
constexpr double rssBudgetMB = 50;

struct Usage {
    double cpuPercent;
    double startRssMB;
    double peakRssMB;
    double endRssMB;
};

Usage measure(qint64 pid, int seconds) {
    const long long ticksPerSecond = sysconf(_SC_CLK_TCK);
    const long long startTicks = cpuTicks(pid);
    const double startRss = rssMB(pid);
    QElapsedTimer wall;
    wall.start();
    double peak = 0;
    while (wall.elapsed() < seconds * 1000LL) {
        BrowserSession::waitUntil([] { return false; }, 1000);
        peak = std::max(peak, rssMB(pid));
    }
    const double cpuSeconds = double(cpuTicks(pid) - startTicks) / double(ticksPerSecond);
    return {100.0 * cpuSeconds / (double(wall.elapsed()) / 1000.0), startRss, peak, rssMB(pid)};
}

void report(const char* phase, const Usage& usage, double cpuBudget) {
    std::printf("%-10s CPU %.3f %% of one core (goal <= %.1f %%) %s; RSS start %.1f MB, peak %.1f MB, "
                "end %.1f MB (goal <= %.0f MB) %s\n",
                phase, usage.cpuPercent, cpuBudget, usage.cpuPercent <= cpuBudget ? "ok" : "MISSED",
                usage.startRssMB, usage.peakRssMB, usage.endRssMB, rssBudgetMB,
                usage.peakRssMB <= rssBudgetMB ? "ok" : "MISSED");
    std::fflush(stdout);
}

// Captions that keep changing: the last block grows by a word every 0.7 s, a new speaker
// takes over every eighth word, and at most three blocks stay.
const char* const talkScript = R"(
meet.show();
window.talkWords = 0;
const speakers = ['Ana Lima', 'Bo Chen', 'Cy Park'];
meet.say(speakers[0], 'Hello');
window.talk = setInterval(() => {
  ++window.talkWords;
  if (window.talkWords % 8 === 0) {
    meet.say(speakers[(window.talkWords / 8) % 3], 'Next point');
    if (meet.blocks().length > 3)
      meet.scroll(1);
  } else {
    meet.grow(meet.blocks().length - 1, ' word' + window.talkWords);
  }
}, 700);
)";

} // namespace

int main(int argc, char** argv) {
    // The harness's accessibility thread owns GLib's main context.
    qputenv("QT_NO_GLIB", "1");
    QCoreApplication app(argc, argv);
    const int seconds = argc > 1 ? std::max(5, atoi(argv[1])) : 60;
    const int pageNodes = argc > 2 ? std::max(0, atoi(argv[2])) : 2000;

    BrowserSession browser;
    browser.open(QStringLiteral("meet.html"));
    browser.run(QStringLiteral("filler(document.body, %1, 'Side')").arg(pageNodes));
    QTemporaryDir output;
    QTemporaryDir config;
    QProcessEnvironment environment = browser.desktop().environment();
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), config.path());
    HeadlessVelmora velmora(QStringLiteral(VELMORA_EXECUTABLE),
                            {QStringLiteral("--headless"), QStringLiteral("--output-dir"), output.path()},
                            environment);
    if (!velmora.waitForLine(QRegularExpression(QStringLiteral("^monitoring$")), 30000)) {
        std::fprintf(stderr, "velmora did not start monitoring:\n%s\n", qPrintable(velmora.log()));
        return 1;
    }
    std::printf("velmora --headless (pid %lld), Chromium on a meeting page of ~%d extra nodes, %d s per phase\n",
                velmora.pid(), pageNodes, seconds);
    std::fflush(stdout);
    BrowserSession::waitUntil([] { return false; }, 5000); // start-up work settles
    const Usage monitoring = measure(velmora.pid(), seconds);
    report("monitoring", monitoring, monitoringCpuBudget);

    const qsizetype before = velmora.lines().size();
    browser.run(QString::fromLatin1(talkScript));
    if (!velmora.waitForLine(QRegularExpression(QStringLiteral("^capturing")), 30000, before)) {
        std::fprintf(stderr, "velmora did not start capturing:\n%s\n", qPrintable(velmora.log().right(4000)));
        return 1;
    }
    BrowserSession::waitUntil([] { return false; }, 3000);
    const Usage capturing = measure(velmora.pid(), seconds);
    report("capturing", capturing, capturingCpuBudget);
    browser.run(QStringLiteral("clearInterval(window.talk)"));

    const bool met = monitoring.cpuPercent <= monitoringCpuBudget && monitoring.peakRssMB <= rssBudgetMB &&
                     capturing.cpuPercent <= capturingCpuBudget && capturing.peakRssMB <= rssBudgetMB;
    velmora.terminate(20000);
    return met ? 0 : 2;
}
