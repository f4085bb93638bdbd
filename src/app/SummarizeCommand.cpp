#include "app/SummarizeCommand.h"

#include "app/SummarySettingsManager.h"
#include "capture/FileError.h"
#include "capture/QtScheduler.h"
#include "summary/ConfiguredSummaryService.h"
#include "summary/LanguageModelError.h"

#include <QCommandLineParser>
#include <QCoroTask>
#include <QFile>
#include <QSettings>

#include <unistd.h>

namespace velmora {

namespace {

constexpr int exitNoSummary = 1;
constexpr int exitBadInput = 2;

struct Outcome {
    std::optional<GeneratedSummary> summary;
    std::optional<QString> fileError;
    std::optional<QString> otherError;
};

// waitFor() cannot carry an exception out of the nested event loop.
QCoro::Task<Outcome> summarize(SummaryService& service, QString transcript,
                               std::optional<QString> notes, SummaryRun run) {
    Outcome outcome;
    try {
        auto generating = service.generateSummary(transcript, notes, run);
        outcome.summary = co_await generating;
    } catch (const FileError& error) {
        outcome.fileError = error.message();
    } catch (const std::exception& error) {
        outcome.otherError = QString::fromUtf8(error.what());
    }
    co_return outcome;
}

std::optional<QString> readNotes(const QString& path, QTextStream& err) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        err << "velmora summarize: cannot read the notes " << path << ": " << file.errorString()
            << "\n";
        return std::nullopt;
    }
    return QString::fromUtf8(file.readAll());
}

} // namespace

int SummarizeCommand::run(const QStringList& arguments) {
    QTextStream out(stdout);
    QTextStream err(stderr);
    QtScheduler scheduler;
    return run(arguments, out, err, scheduler, isatty(STDERR_FILENO) == 1);
}

int SummarizeCommand::run(const QStringList& arguments, QTextStream& out, QTextStream& err,
                          Scheduler& scheduler, bool progressOnTerminal) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Writes the summary of a transcript (topics, action items, decisions, attendees) as\n"
        "TRANSCRIPT-summary.md beside it. With a local model server (llama-server, Ollama,\n"
        "LM Studio) the model writes it, else the built-in extractive engine."));
    const QCommandLineOption helpOption({QStringLiteral("h"), QStringLiteral("help")},
                                        QStringLiteral("Shows this help."));
    const QCommandLineOption notesOption(QStringLiteral("notes"),
                                         QStringLiteral("Your notes of the meeting (Markdown)."),
                                         QStringLiteral("FILE"));
    const QCommandLineOption engineOption(
        QStringLiteral("engine"),
        QStringLiteral("auto (model when a server answers, else extractive), model or extractive."),
        QStringLiteral("ENGINE"));
    const QCommandLineOption urlOption(
        QStringLiteral("model-url"),
        QStringLiteral("Base URL of the model server (default: http://127.0.0.1:8080/v1, then "
                       "http://127.0.0.1:11434/v1)."),
        QStringLiteral("URL"));
    const QCommandLineOption modelOption(
        QStringLiteral("model"), QStringLiteral("Model name (default: the first the server lists)."),
        QStringLiteral("NAME"));
    parser.addOptions({helpOption, notesOption, engineOption, urlOption, modelOption});
    parser.addPositionalArgument(QStringLiteral("TRANSCRIPT"),
                                 QStringLiteral("The transcript file (.md or .txt)."));
    if (!parser.parse(arguments)) {
        err << "velmora summarize: " << parser.errorText() << "\n";
        return exitBadInput;
    }
    if (parser.isSet(helpOption)) {
        out << parser.helpText();
        return 0;
    }
    const QStringList positional = parser.positionalArguments(); // "summarize" is the program name
    if (positional.size() != 1) {
        err << "velmora summarize: give exactly one transcript file\n";
        return exitBadInput;
    }

    QSettings settings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("velmora"),
                       QStringLiteral("velmora"));
    const SummarySettingsManager stored(settings);
    SummaryEngineChoice engine = stored.engine();
    if (parser.isSet(engineOption)) {
        const auto chosen = SummaryEngineChoices::fromRawValue(parser.value(engineOption));
        if (!chosen) {
            err << "velmora summarize: --engine must be auto, model or extractive\n";
            return exitBadInput;
        }
        engine = *chosen;
    }
    QUrl url = stored.modelServerURL();
    if (parser.isSet(urlOption)) {
        url = QUrl(parser.value(urlOption), QUrl::StrictMode);
        if (!url.isValid() || (url.scheme() != u"http" && url.scheme() != u"https")) {
            err << "velmora summarize: --model-url needs an http:// or https:// address\n";
            return exitBadInput;
        }
    }
    const QString model = parser.isSet(modelOption) ? parser.value(modelOption) : stored.modelName();

    std::optional<QString> notes;
    if (parser.isSet(notesOption)) {
        notes = readNotes(parser.value(notesOption), err);
        if (!notes)
            return exitBadInput;
    }

    ConfiguredSummaryService service(engine,
                                     ConfiguredSummaryService::serverModels(url, model, scheduler));
    SummaryRun summaryRun;
    if (progressOnTerminal) {
        summaryRun.onProgress = [&err](const SummaryProgress& progress) {
            if (progress.merging)
                err << "\rmerging " << progress.chunkCount << " partial summaries...\n";
            else
                err << "\rsummarizing chunk " << progress.chunk << "/" << progress.chunkCount << " ";
            err.flush();
        };
    }
    const Outcome outcome =
        QCoro::waitFor(summarize(service, positional.first(), notes, summaryRun));
    if (progressOnTerminal)
        err << "\n";
    if (outcome.fileError) {
        err << "velmora summarize: " << *outcome.fileError << "\n";
        return exitBadInput;
    }
    if (outcome.otherError) {
        err << "velmora summarize: " << *outcome.otherError << "\n";
        return exitNoSummary;
    }
    if (!outcome.summary) {
        err << "velmora summarize: no summary was produced"
            << (engine == SummaryEngineChoice::model ? " by the model" : "")
            << " (the transcript is empty, or see QT_LOGGING_RULES='velmora.summary.info=true')\n";
        return exitNoSummary;
    }
    err << "Summary written by the " << outcome.summary->engineDescription << "\n";
    out << outcome.summary->path << "\n";
    return 0;
}

} // namespace velmora
