#include "app/AccessibilityLossRestart.h"
#include "app/CommandLine.h"
#include "app/CompositionRoot.h"
#include "app/ExportCommand.h"
#include "app/ReplayCommand.h"
#include "app/SearchCommand.h"
#include "app/SummarizeCommand.h"
#include "app/AutostartManager.h"
#include "platform/linux/BrowserProbe.h"
#include "platform/linux/HeadlessCommand.h"
#include "platform/linux/LinuxDesktopServices.h"
#include "platform/linux/LinuxPlatform.h"
#include "platform/linux/SingleInstance.h"
#include "platform/linux/TerminationSignals.h"
#include "ui/DesktopApplication.h"
#include "ui/AppearanceController.h"
#include "ui/MainWindow.h"
#include "ui/OnboardingWindow.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QLoggingCategory>
#include <QCoroTask>
#include <QSystemTrayIcon>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include <unistd.h>

using velmora::AccessibilityLossRestart;
using velmora::CommandLine;

namespace {

// Every subcommand of `velmora`: one entry each, in the order `velmora --help` lists them.
const QList<CommandLine::Subcommand> subcommands{
    {QStringLiteral("replay"),
     QStringLiteral("Writes a transcript from recorded caption snapshots."),
     [](const QStringList& arguments) {
         // Per-poll diagnostics would drown the output; QT_LOGGING_RULES still turns them on.
         QLoggingCategory::setFilterRules(QStringLiteral("velmora.*.info=false"));
         return velmora::ReplayCommand::run(arguments);
     }},
    {QStringLiteral("summarize"),
     QStringLiteral("Writes a meeting's summary beside its transcript."),
     [](const QStringList& arguments) {
         QLoggingCategory::setFilterRules(QStringLiteral("velmora.*.info=false"));
         return velmora::SummarizeCommand::run(arguments);
     }},
    {QStringLiteral("probe"),
     QStringLiteral("Shows what Velmora sees in the running browsers right now."),
     &velmora::BrowserProbe::command},
    {QStringLiteral("export"),
     QStringLiteral("Writes a meeting summary as a PDF or DOCX document (no display needed)."),
     [](const QStringList& arguments) { return velmora::ExportCommand::run(arguments); }},
    {QStringLiteral("search"),
     QStringLiteral("Searches every meeting's transcript, notes and summary."),
     [](const QStringList& arguments) { return velmora::SearchCommand::run(arguments); }},
};

const QCommandLineOption outputDirOption(
    QStringLiteral("output-dir"),
    QStringLiteral("Writes into <dir> (created if needed) instead of the configured folder."),
    QStringLiteral("dir"));

// `velmora --window [--output-dir DIR]`: the meetings window over a running controller, which
// monitors and records as in headless mode. Closing the window finalises and quits.
int runWindow(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.addOption({QStringLiteral("window"), QString()});
    parser.addOption(outputDirOption);
    parser.process(arguments);
    std::optional<QString> outputDirectory;
    if (parser.isSet(outputDirOption)) {
        outputDirectory = velmora::HeadlessCommand::prepareOutputDirectory(parser.value(outputDirOption));
        if (!outputDirectory)
            return CommandLine::exitUsage;
    }
    velmora::LinuxPlatform platform;
    velmora::CompositionRoot root(platform.platform(), outputDirectory);
    velmora::AppearanceController appearance(*qApp, root.settings(), root.appState());
    const auto window = velmora::MainWindow::create(root, appearance);
    // Ctrl+C in the terminal and SIGTERM finalise as closing the window does.
    velmora::TerminationSignals::onTermination(window.get(), [] { QApplication::quit(); });
    // The window shows at once; start-up (accessibility check, monitoring) runs in the loop.
    window->showAndRaise();
    auto start = root.controller().initialize();
    const auto restart = root.restartOnAccessibilityLoss(
        [] { QApplication::exit(AccessibilityLossRestart::restartExitCode); });
    const int status = QApplication::exec();
    auto shutdown = root.controller().shutdown();
    QCoro::waitFor(shutdown);
    return status;
}

// Ways of starting the application, chosen by an option.
const QList<CommandLine::Mode> modes{
    {QStringLiteral("headless"),
     QStringLiteral("Watches for meeting captions and records them, without windows."),
     &velmora::HeadlessCommand::run, false, {outputDirOption}},
    {QStringLiteral("window"),
     QStringLiteral("Opens the meetings window; captions are recorded as with --headless."),
     &runWindow, true, {outputDirOption}},
    {QStringLiteral("enable-accessibility"),
     QStringLiteral("Turns on the desktop's accessibility support (needed to read captions)."),
     [](const QStringList&) { return velmora::EnableAccessibilityCommand::run(); }},
};

const QCommandLineOption autostartOption(
    QStringLiteral("autostart"), QStringLiteral("Starts in the tray without opening a window (used at login)."));

// Set for the process that replaces a restarted tray application: whether its main window was
// on screen, so the new one shows it again (or stays in the tray).
constexpr char restartedWindowVariable[] = "VELMORA_RESTARTED_WINDOW";

// Plain `velmora`: the tray application. A second one only asks the first to show its window.
int runTrayApplication(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.addOption(autostartOption);
    parser.parse(arguments);
    const QByteArray restartedWindow = qgetenv(restartedWindowVariable);
    qunsetenv(restartedWindowVariable);
    const bool hideWindow = restartedWindow.isEmpty() ? parser.isSet(autostartOption) : restartedWindow != "shown";
    velmora::SingleInstance instance;
    velmora::DesktopApplication* running = nullptr;
    if (instance.claim([&running] {
            if (running)
                running->lifecycle().reopen();
        }) == velmora::SingleInstance::Role::secondary)
        return 0;

    velmora::LinuxPlatform platform;
    velmora::CompositionRoot root(platform.platform());
    velmora::LinuxDesktopServices desktop(platform.fileRevealer());
    velmora::AutostartManager autostart = velmora::AutostartManager::forCurrentUser();
    velmora::DesktopApplication application(
        root, desktop, autostart,
        {hideWindow, [] { return QSystemTrayIcon::isSystemTrayAvailable(); }});
    running = &application;
    velmora::AppearanceController appearance(*qApp, root.settings(), root.appState());
    // Made on first use and kept: closing it only hides it.
    std::unique_ptr<velmora::MainWindow> window;
    application.setMainWindowOpener([&] {
        if (!window)
            window = velmora::MainWindow::create(
                root, appearance, [&application] { application.guideWindow().showAndRaise(); }, &autostart);
        window->showAndRaise();
    });
    velmora::TerminationSignals::onTermination(&application, [&application] { application.lifecycle().quit(); });
    const auto restart = root.restartOnAccessibilityLoss([&application, &window] {
        qputenv(restartedWindowVariable, window && window->isVisible() ? "shown" : "hidden");
        application.lifecycle().restart(AccessibilityLossRestart::restartExitCode);
    });
    application.start();
    return QCoreApplication::exec();
}

// Starts this program again in this process, with the arguments it was started with: the new
// run connects to the desktop's services afresh. Returns only when that failed.
int restartInPlace(std::vector<char*> arguments) {
    arguments.push_back(nullptr);
    std::fflush(stdout);
    std::fflush(stderr);
    ::execv("/proc/self/exe", arguments.data());
    std::fprintf(stderr, "velmora: could not restart: %s\n", std::strerror(errno));
    return 1;
}

const CommandLine commandLine(
    subcommands, modes,
    {QString(), QStringLiteral("Velmora records the live captions of online meetings as text transcripts."),
     &runTrayApplication, true, {autostartOption}});

} // namespace

int main(int argc, char* argv[]) {
    // libatspi owns GLib's default main context on the accessibility thread; Qt must not
    // iterate it from the main thread.
    qputenv("QT_NO_GLIB", "1");
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    // Qt takes its own options out of argv; a restart passes them again.
    const std::vector<char*> originalArguments(argv, argv + argc);

    std::unique_ptr<QCoreApplication> application;
    const auto makeApplication = [&](bool windowed) {
        // The PDF export lays text out with fonts, which needs a GUI application; it never
        // shows anything, so the offscreen platform serves on any machine.
        if (windowed) {
            application = std::make_unique<QApplication>(argc, argv);
            // Desktops match our windows and tray item to the installed launcher by this name.
            QGuiApplication::setDesktopFileName(QString::fromLatin1(velmora::AutostartManager::applicationID));
        } else if (arguments.value(1) == QLatin1String("export")) {
            qputenv("QT_QPA_PLATFORM", "offscreen");
            application = std::make_unique<QGuiApplication>(argc, argv);
        } else {
            application = std::make_unique<QCoreApplication>(argc, argv);
        }
        QCoreApplication::setApplicationName(QStringLiteral("velmora"));
        QCoreApplication::setApplicationVersion(QStringLiteral(VELMORA_VERSION));
    };
    QTextStream out(stdout);
    QTextStream err(stderr);
    const int status = commandLine.run(arguments, makeApplication, out, err);
    if (status != AccessibilityLossRestart::restartExitCode)
        return status;
    out.flush();
    err.flush();
    application.reset();
    return restartInPlace(originalArguments);
}
