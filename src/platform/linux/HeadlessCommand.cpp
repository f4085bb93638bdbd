#include "platform/linux/HeadlessCommand.h"

#include "app/AccessibilityLossRestart.h"
#include "app/CompositionRoot.h"
#include "capture/CaptionSource.h"
#include "capture/FileError.h"
#include "capture/PrivateFiles.h"
#include "capture/VelmoraError.h"
#include "platform/linux/A11yStatus.h"
#include "platform/linux/LinuxPlatform.h"
#include "platform/linux/TerminationSignals.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <cstdio>

namespace velmora {

namespace {

void printLine(const QString& line) {
    std::fprintf(stdout, "%s\n", qUtf8Printable(line));
    std::fflush(stdout);
}

// The source comes from the controller: the state's source name is set only after the state
// turned to capturing.
QString describe(const CaptureState& state, const AppController& controller) {
    switch (state.kind()) {
    case CaptureState::Kind::idle: return QStringLiteral("idle");
    case CaptureState::Kind::monitoring: return QStringLiteral("monitoring");
    case CaptureState::Kind::capturing:
        if (const auto source = controller.currentSource())
            return QStringLiteral("capturing ") + CaptionSources::displayName(*source);
        return QStringLiteral("capturing");
    case CaptureState::Kind::paused: return QStringLiteral("paused");
    case CaptureState::Kind::stopped: return QStringLiteral("stopped");
    case CaptureState::Kind::error: return QStringLiteral("error: ") + state.message();
    }
    return QString();
}

// Follows the state's own message, which names the desktop's settings already.
const char* const enableHint =
    "From a terminal: velmora --enable-accessibility; then restart your browser and Velmora.";

QCoro::Task<> shutdownAndQuit(AppController& controller) {
    auto shutdown = controller.shutdown();
    co_await shutdown;
    QCoreApplication::exit(0);
}

} // namespace

int HeadlessCommand::run(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.addHelpOption();
    parser.addOption({QStringLiteral("headless"), QStringLiteral("Run without windows.")});
    parser.addOption({QStringLiteral("output-dir"),
                      QStringLiteral("Write transcripts and the meeting history into <dir>."),
                      QStringLiteral("dir")});
    parser.process(arguments);
    std::optional<QString> outputDirectory;
    if (parser.isSet(QStringLiteral("output-dir"))) {
        outputDirectory = prepareOutputDirectory(parser.value(QStringLiteral("output-dir")));
        if (!outputDirectory)
            return 2;
    }

    LinuxPlatform platform;
    CompositionRoot root(platform.platform(), outputDirectory);
    AppState& state = root.appState();
    AppController& controller = root.controller();
    QObject::connect(&controller, &AppController::meetingFinalized, &controller,
                     [](const MeetingRecord& record) {
                         printLine(QStringLiteral("saved %1 %2 %3s")
                                       .arg(CaptionSources::rawValue(record.source),
                                            record.transcriptPath.value_or(QStringLiteral("-")))
                                       .arg(record.duration, 0, 'f', 1));
                     });
    bool restarting = false;
    TerminationSignals::onTermination(&controller, [&controller, &restarting] {
        restarting = false; // a termination asked for meanwhile wins
        shutdownAndQuit(controller);
    });

    auto start = controller.initialize();
    QCoro::waitFor(start);
    // A failed start is told once, on standard error; state lines begin once it runs.
    const bool trusted = state.permissionGranted();
    if (!trusted || state.captureState().kind() == CaptureState::Kind::error) {
        QString message = state.captureState().message();
        if (message.isEmpty())
            message = VelmoraError::accessibilityNotTrusted().message();
        std::fprintf(stderr, "%s\n", qUtf8Printable(message));
        if (!trusted)
            std::fprintf(stderr, "%s\n", enableHint);
        return 1;
    }
    printLine(describe(state.captureState(), controller));
    QObject::connect(&state, &AppState::captureStateChanged, &state,
                     [&state, &controller] { printLine(describe(state.captureState(), controller)); });
    const auto restart = root.restartOnAccessibilityLoss([&controller, &restarting] {
        restarting = true;
        shutdownAndQuit(controller);
    });
    const int status = QCoreApplication::exec();
    return restarting ? AccessibilityLossRestart::restartExitCode : status;
}

std::optional<QString> HeadlessCommand::prepareOutputDirectory(const QString& path) {
    // A folder the user names is made for them before the history starts watching it.
    try {
        if (path.isEmpty())
            throw FileError(QStringLiteral("--output-dir needs a folder"));
        PrivateFiles::createDirectory(path);
    } catch (const FileError& error) {
        std::fprintf(stderr, "velmora: %s\n", error.what());
        return std::nullopt;
    }
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

int EnableAccessibilityCommand::run() {
    if (A11yStatus::isEnabled()) {
        std::printf("Accessibility is already on.\n");
        return 0;
    }
    if (!A11yStatus::setEnabled(true)) {
        std::fprintf(stderr, "Could not turn accessibility on: no accessibility service answers on "
                             "the session bus (is at-spi2-core installed?).\n");
        return 1;
    }
    std::printf("Accessibility is on. Restart your browser so that it exposes web pages.\n");
    return 0;
}

} // namespace velmora
