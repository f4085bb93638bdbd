#include "app/ReplayCommand.h"
#include "app/SummarizeCommand.h"
#include "platform/linux/BrowserProbe.h"
#include "platform/linux/HeadlessCommand.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QLoggingCategory>

#include <cstdio>

// The command line grows one subcommand per job; --help and --version never need a display.
int main(int argc, char* argv[]) {
    // libatspi owns GLib's default main context on the accessibility thread; Qt must not
    // iterate it from the main thread.
    qputenv("QT_NO_GLIB", "1");
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("velmora"));
    QCoreApplication::setApplicationVersion(QStringLiteral(VELMORA_VERSION));

    const QStringList arguments = app.arguments();
    if (arguments.value(1) == QLatin1String("replay")) {
        // Per-poll diagnostics would drown the output; QT_LOGGING_RULES still turns them on.
        QLoggingCategory::setFilterRules(QStringLiteral("velmora.*.info=false"));
        return velmora::ReplayCommand::run(arguments.mid(1));
    }
    if (arguments.value(1) == QLatin1String("summarize")) {
        QLoggingCategory::setFilterRules(QStringLiteral("velmora.*.info=false"));
        return velmora::SummarizeCommand::run(arguments.mid(1));
    }
    if (arguments.value(1) == QLatin1String("probe"))
        return velmora::BrowserProbe::command(arguments.mid(2));
    if (arguments.contains(QLatin1String("--headless")))
        return velmora::HeadlessCommand::run(arguments);
    if (arguments.contains(QLatin1String("--enable-accessibility")))
        return velmora::EnableAccessibilityCommand::run();

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Velmora records the live captions of online meetings as text transcripts."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOption({QStringLiteral("headless"),
                      QStringLiteral("Watch for meeting captions and record them, without windows.")});
    parser.addOption({QStringLiteral("output-dir"),
                      QStringLiteral("With --headless: write into <dir> instead of the configured folder."),
                      QStringLiteral("dir")});
    parser.addOption({QStringLiteral("enable-accessibility"),
                      QStringLiteral("Turn on the desktop's accessibility support (needed to read captions).")});
    parser.addPositionalArgument(QStringLiteral("replay"),
                                 QStringLiteral("velmora replay SNAPSHOTS.jsonl --output-dir DIR: "
                                                "write a transcript from recorded caption snapshots."));
    parser.addPositionalArgument(QStringLiteral("summarize"),
                                 QStringLiteral("velmora summarize TRANSCRIPT [--engine E]: write "
                                                "the meeting's summary beside its transcript."));
    parser.addPositionalArgument(QStringLiteral("probe"),
                                 QStringLiteral("velmora probe [--json]: what Velmora sees in the "
                                                "running browsers right now."));
    parser.process(app);
    parser.showHelp(0);
}
