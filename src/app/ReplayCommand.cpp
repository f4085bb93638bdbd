#include "app/ReplayCommand.h"

#include "app/CommandLine.h"

#include "capture/FileError.h"
#include "capture/SnapshotReplay.h"

#include <QCommandLineParser>
#include <QCoroTask>
#include <QDir>

namespace velmora {

namespace {

constexpr int exitWriteFailed = 1;
constexpr int exitBadInput = 2;

struct Outcome {
    SnapshotReplay::Result result;
    std::optional<QString> error;
};

// waitFor() cannot carry an exception out of the nested event loop.
QCoro::Task<Outcome> runReplay(SnapshotReplay& replay) {
    Outcome outcome;
    try {
        auto running = replay.run();
        outcome.result = co_await running;
    } catch (const std::exception& error) {
        outcome.error = QString::fromUtf8(error.what());
    }
    co_return outcome;
}

} // namespace

int ReplayCommand::run(const QStringList& arguments) {
    QTextStream out(stdout);
    QTextStream err(stderr);
    return run(arguments, out, err);
}

int ReplayCommand::run(const QStringList& arguments, QTextStream& out, QTextStream& err) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Replays recorded caption snapshots (JSON Lines, one poll per line:\n"
        "{\"time\": \"2026-03-14T09:30:05.000+00:00\", \"lines\": [{\"speaker\": \"Alice\", "
        "\"text\": \"Hello\"}]})\n"
        "through the session coordinator and transcript writer.\n"
        "Diagnostics: QT_LOGGING_RULES='velmora.*.info=true'."));
    const QCommandLineOption helpOption({QStringLiteral("h"), QStringLiteral("help")},
                                        QStringLiteral("Shows this help."));
    const QCommandLineOption outputOption(QStringLiteral("output-dir"),
                                          QStringLiteral("Directory that receives the transcript."),
                                          QStringLiteral("DIR"));
    const QCommandLineOption formatOption(QStringLiteral("format"),
                                          QStringLiteral("markdown (default) or plainText."),
                                          QStringLiteral("FORMAT"), QStringLiteral("markdown"));
    const QCommandLineOption titleOption(QStringLiteral("title"),
                                         QStringLiteral("Meeting title for the file name."),
                                         QStringLiteral("TITLE"));
    parser.addOptions({helpOption, outputOption, formatOption, titleOption});
    parser.addPositionalArgument(QStringLiteral("SNAPSHOTS.jsonl"),
                                 QStringLiteral("Recorded snapshots."));

    const auto fail = [&](int status, const QString& message) {
        err << "velmora replay: " << message << '\n';
        err.flush();
        return status;
    };
    if (const auto done = CommandLine::parseSubcommand(parser, arguments, QStringLiteral("replay"),
                                                       helpOption, out, err))
        return *done;
    if (parser.positionalArguments().size() != 1)
        return fail(exitBadInput, QStringLiteral("expected one snapshot file (see --help)"));
    if (!parser.isSet(outputOption))
        return fail(exitBadInput, QStringLiteral("--output-dir is required"));
    const std::optional<TranscriptFormat> format =
        TranscriptFormats::fromRawValue(parser.value(formatOption));
    if (!format) {
        return fail(exitBadInput, QStringLiteral("unknown format \"%1\" (markdown or plainText)")
                                      .arg(parser.value(formatOption)));
    }

    SnapshotReplay::Options options;
    options.snapshotsPath = parser.positionalArguments().front();
    options.outputDirectory = parser.value(outputOption);
    options.format = *format;
    if (parser.isSet(titleOption))
        options.title = parser.value(titleOption);
    SnapshotReplay replay(options);
    try {
        replay.validate();
    } catch (const FileError& error) {
        return fail(exitBadInput, error.message());
    }
    const Outcome outcome = QCoro::waitFor(runReplay(replay));
    if (outcome.error)
        return fail(exitWriteFailed, *outcome.error);
    out << "Stopped: " << SessionStopReasons::rawValue(outcome.result.reason) << '\n'
        << QDir::toNativeSeparators(outcome.result.transcriptPath) << '\n';
    out.flush();
    return 0;
}

} // namespace velmora
