#pragma once

#include <optional>

#include <QCommandLineOption>
#include <QList>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QTextStream>

#include <functional>

class QCommandLineParser;

namespace velmora {

// What `velmora` does with its arguments. Subcommands (`velmora replay …`) and the ways of
// starting the application that an option chooses (`velmora --headless`) are tables: one entry
// adds a job to both the dispatch and `velmora --help`. Help, version and every mistake in the
// arguments are answered before any application object or display is needed.
class CommandLine {
public:
    // Runs a job and returns the exit status. A subcommand's arguments start with its name,
    // a mode's with the program's, so a QCommandLineParser takes them as they are.
    using Handler = std::function<int(const QStringList& arguments)>;

    struct Subcommand {
        QString name;
        QString summary; // one line in `velmora --help`
        Handler run;     // answers its own --help
    };

    // A way of starting the application. The default mode has no option.
    struct Mode {
        QString option; // without the dashes
        QString description;
        Handler run;
        bool needsDisplay = false;             // it shows windows
        QList<QCommandLineOption> options = {}; // taken only together with `option`
    };

    // Creates the Qt application object once the job is known: a job with windows needs a
    // GUI application, every other job a core one.
    using ApplicationFactory = std::function<void(bool windowed)>;

    static constexpr int exitUsage = 2;
    static constexpr int exitNoDisplay = 1;

    CommandLine(QList<Subcommand> subcommands, QList<Mode> modes, Mode defaultMode);

    int run(const QStringList& arguments, const ApplicationFactory& makeApplication,
            QTextStream& out, QTextStream& err,
            const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment()) const;

    QString helpText() const;

    // Whether Qt finds somewhere to show windows: an X or Wayland display, or a platform
    // (QT_QPA_PLATFORM=offscreen …) that needs none.
    static bool hasDisplay(const QProcessEnvironment& environment);

    // Parses a subcommand's arguments (the first one is its own name). Returns the exit status
    // when the command is done already: its help printed (0) or a one-line error (exitUsage).
    static std::optional<int> parseSubcommand(QCommandLineParser& parser, QStringList arguments,
                                              const QString& name, const QCommandLineOption& help,
                                              QTextStream& out, QTextStream& err);

private:
    QList<QCommandLineOption> allOptions() const;
    QString modeHelp(const Mode& mode) const;

    QList<Subcommand> subcommands_;
    QList<Mode> modes_;
    Mode defaultMode_;
};

} // namespace velmora
