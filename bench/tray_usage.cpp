// The tray application on a private desktop with a tray host and Chromium open on a meeting
// page: start-up until the tray item is registered, then CPU (/proc/PID/stat user + system
// time) and memory (VmRSS) over 60 s with no window open, and over 60 s with the meetings
// window open. Goals with the window closed: <= 0.2 % of one core and <= 80 MB.
// Usage: bench_tray_usage [seconds per phase]
#include "ProcessUsage.h"
#include "harness/BrowserSession.h"
#include "harness/HeadlessVelmora.h"
#include "harness/StatusNotifierWatcher.h"

#include <QCoreApplication>
#include <QDBusMessage>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include <cstdio>
#include <unistd.h>

using namespace velmora::e2e;
using velmora::bench::cpuTicks;
using velmora::bench::rssMB;

namespace {

constexpr double idleCpuBudget = 0.2;
constexpr double rssBudgetMB = 80;

void measure(const char* phase, qint64 pid, int seconds, bool withGoals) {
    const long long ticksPerSecond = sysconf(_SC_CLK_TCK);
    const long long startTicks = cpuTicks(pid);
    QElapsedTimer wall;
    wall.start();
    double peak = 0;
    while (wall.elapsed() < seconds * 1000LL) {
        BrowserSession::waitUntil([] { return false; }, 1000);
        peak = std::max(peak, rssMB(pid));
    }
    const double cpu = 100.0 * double(cpuTicks(pid) - startTicks) / double(ticksPerSecond) /
                       (double(wall.elapsed()) / 1000.0);
    if (withGoals) {
        std::printf("%-14s CPU %.3f %% of one core (goal <= %.1f %%) %s; RSS peak %.1f MB (goal <= %.0f MB) %s\n",
                    phase, cpu, idleCpuBudget, cpu <= idleCpuBudget ? "ok" : "MISSED", peak, rssBudgetMB,
                    peak <= rssBudgetMB ? "ok" : "MISSED");
    } else {
        std::printf("%-14s CPU %.3f %% of one core; RSS peak %.1f MB\n", phase, cpu, peak);
    }
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_NO_GLIB", "1");
    QCoreApplication app(argc, argv);
    const int seconds = argc > 1 ? std::max(5, atoi(argv[1])) : 60;

    BrowserSession browser;
    browser.open(QStringLiteral("meet.html"));
    StatusNotifierWatcher watcher(QDBusConnection::sessionBus());
    if (!watcher.serve()) {
        std::fprintf(stderr, "cannot serve the tray host on the private bus\n");
        return 1;
    }
    QTemporaryDir output;
    QTemporaryDir config;
    QDir(config.path()).mkpath(QStringLiteral("velmora"));
    {
        QSettings settings(config.filePath(QStringLiteral("velmora/velmora.ini")), QSettings::IniFormat);
        settings.setValue(QStringLiteral("hasCompletedOnboarding"), true);
        settings.setValue(QStringLiteral("outputDirectory"), output.path());
    }
    QProcessEnvironment environment = browser.desktop().environment();
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), config.path());
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    QElapsedTimer startUp;
    startUp.start();
    HeadlessVelmora velmora(QStringLiteral(VELMORA_EXECUTABLE), {QStringLiteral("--autostart")}, environment);
    if (!BrowserSession::waitUntil([&] { return !watcher.items().isEmpty(); }, 30000)) {
        std::fprintf(stderr, "no tray item registered:\n%s\n", qPrintable(velmora.log()));
        return 1;
    }
    std::printf("velmora (tray, pid %lld): start-up to tray item registered %lld ms; %d s per phase\n",
                velmora.pid(), startUp.elapsed(), seconds);
    std::fflush(stdout);
    BrowserSession::waitUntil([] { return false; }, 5000); // start-up work settles
    measure("window closed", velmora.pid(), seconds, true);

    // What a second `velmora` does: ask the running one to show its window.
    auto activate = QDBusMessage::createMethodCall(QStringLiteral("org.velmora.Velmora"),
                                                   QStringLiteral("/org/velmora/Velmora"),
                                                   QStringLiteral("org.freedesktop.Application"),
                                                   QStringLiteral("Activate"));
    activate << QVariantMap();
    QDBusConnection::sessionBus().call(activate, QDBus::BlockWithGui, 5000);
    BrowserSession::waitUntil([] { return false; }, 3000);
    measure("window open", velmora.pid(), seconds, false);

    velmora.terminate(20000);
    return 0;
}
