#include "app/ReplayCommand.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <cstdio>

// The command line grows one subcommand per job; --help and --version never need a display.
int main(int argc, char* argv[]) {
    // libatspi owns GLib's default main context on the accessibility thread; Qt must not
    // iterate it from the main thread.
    qputenv("QT_NO_GLIB", "1");
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("velmora"));
    QCoreApplication::setApplicationVersion(QStringLiteral(VELMORA_VERSION));

    if (app.arguments().value(1) == QLatin1String("replay"))
        return velmora::ReplayCommand::run(app.arguments().mid(1));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Velmora records the live captions of online meetings as text transcripts."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.process(app);
    parser.showHelp(0);
}
