#include "app/ExportCommand.h"

#include "capture/FileError.h"
#include "summary/CombinedSummaryExporter.h"
#include "summary/ExportError.h"
#include "summary/ExportFormat.h"

#include <QCommandLineParser>
#include <QCoroTask>
#include <QFileInfo>

namespace velmora {

namespace {

constexpr int exitExportFailed = 1;
constexpr int exitBadInput = 2;

struct Outcome {
    int status = 0;
    QString error;
};

// waitFor() cannot carry an exception out of the nested event loop.
QCoro::Task<Outcome> runExport(QString summary, QString target, ExportFormat format) {
    CombinedSummaryExporter exporter;
    try {
        auto exporting = format == ExportFormat::pdf ? exporter.exportPDF(summary, target)
                                                     : exporter.exportDOCX(summary, target);
        co_await exporting;
        co_return Outcome{};
    } catch (const FileError& error) {
        co_return Outcome{exitBadInput, error.message()};
    } catch (const ExportError& error) {
        co_return Outcome{exitExportFailed, error.message()};
    }
}

} // namespace

int ExportCommand::run(const QStringList& arguments) {
    QTextStream out(stdout);
    QTextStream err(stderr);
    return run(arguments, out, err);
}

int ExportCommand::run(const QStringList& arguments, QTextStream& out, QTextStream& err) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Writes a meeting summary (Markdown) as a PDF or DOCX document."));
    const QCommandLineOption helpOption({QStringLiteral("h"), QStringLiteral("help")},
                                        QStringLiteral("Shows this help."));
    const QCommandLineOption formatOption(QStringLiteral("format"), QStringLiteral("pdf or docx."),
                                          QStringLiteral("FORMAT"));
    const QCommandLineOption outputOption(
        QStringLiteral("output"),
        QStringLiteral("Document to write (default: beside the summary, extension replaced)."),
        QStringLiteral("FILE"));
    parser.addOptions({helpOption, formatOption, outputOption});
    parser.addPositionalArgument(QStringLiteral("SUMMARY.md"), QStringLiteral("The summary file to export."));

    auto usageError = [&](const QString& message) {
        err << "velmora export: " << message << "\n"
            << "Usage: velmora export SUMMARY.md --format pdf|docx [--output FILE]\n";
        err.flush();
        return exitBadInput;
    };
    if (!parser.parse(arguments))
        return usageError(parser.errorText());
    if (parser.isSet(helpOption)) {
        out << parser.helpText().replace(QStringLiteral("[options] SUMMARY.md"),
                                         QStringLiteral("export SUMMARY.md --format pdf|docx [--output FILE]"));
        out.flush();
        return 0;
    }
    const QStringList positional = parser.positionalArguments(); // "export" stands where the program name would
    if (positional.size() != 1)
        return usageError(QStringLiteral("give exactly one summary file"));
    if (!parser.isSet(formatOption))
        return usageError(QStringLiteral("--format pdf or --format docx is required"));
    const auto format = ExportFormats::fromRawValue(parser.value(formatOption));
    if (!format)
        return usageError(QStringLiteral("unknown format \"%1\" (pdf or docx)").arg(parser.value(formatOption)));

    const QString summary = positional.first();
    const QString target = parser.isSet(outputOption) ? parser.value(outputOption)
                                                      : ExportFormats::defaultDestination(summary, *format);
    const Outcome outcome = QCoro::waitFor(runExport(summary, target, *format));
    if (outcome.status != 0) {
        err << "velmora export: " << outcome.error << "\n";
        err.flush();
        return outcome.status;
    }
    out << QFileInfo(target).absoluteFilePath() << "\n";
    out.flush();
    return 0;
}

} // namespace velmora
