#include "app/CommandLine.h"

#include <QCommandLineParser>

#include <algorithm>

namespace velmora {

namespace {

const QCommandLineOption helpOption({QStringLiteral("h"), QStringLiteral("help")},
                                    QStringLiteral("Shows this help."));
const QCommandLineOption versionOption({QStringLiteral("v"), QStringLiteral("version")},
                                       QStringLiteral("Shows the version."));

QString spelled(const QCommandLineOption& option) {
    QStringList names;
    for (const QString& name : option.names())
        names.append((name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name);
    QString text = names.join(QStringLiteral(", "));
    if (!option.valueName().isEmpty())
        text += QStringLiteral(" <") + option.valueName() + QLatin1Char('>');
    return text;
}

// Rows of two columns, the second aligned.
QString table(const QList<std::pair<QString, QString>>& rows) {
    qsizetype width = 0;
    for (const auto& row : rows)
        width = std::max(width, row.first.size());
    QString text;
    for (const auto& [left, right] : rows)
        text += QStringLiteral("  ") + left.leftJustified(width + 2) + right + QLatin1Char('\n');
    return text;
}

} // namespace

CommandLine::CommandLine(QList<Subcommand> subcommands, QList<Mode> modes, Mode defaultMode)
    : subcommands_(std::move(subcommands)), modes_(std::move(modes)),
      defaultMode_(std::move(defaultMode)) {}

QList<QCommandLineOption> CommandLine::allOptions() const {
    QList<QCommandLineOption> options{helpOption, versionOption};
    options.append(defaultMode_.options);
    QStringList names;
    for (const Mode& mode : modes_) {
        options.append(QCommandLineOption(mode.option, mode.description));
        // Modes may share an option (--output-dir); the parser takes each name once.
        for (const QCommandLineOption& option : mode.options) {
            if (!names.contains(option.names().front())) {
                names.append(option.names().front());
                options.append(option);
            }
        }
    }
    return options;
}

QString CommandLine::helpText() const {
    QList<std::pair<QString, QString>> options;
    for (const QCommandLineOption& option : QList{helpOption, versionOption} + defaultMode_.options)
        options.append({spelled(option), option.description()});
    for (const Mode& mode : modes_) {
        options.append({QStringLiteral("--") + mode.option, mode.description});
        for (const QCommandLineOption& option : mode.options)
            options.append({QStringLiteral("  ") + spelled(option), option.description()});
    }
    QList<std::pair<QString, QString>> commands;
    for (const Subcommand& command : subcommands_)
        commands.append({command.name, command.summary});
    return QStringLiteral("Usage: velmora [options]\n"
                          "       velmora <command> [arguments]\n\n") +
           defaultMode_.description + QStringLiteral("\n\nOptions:\n") + table(options) +
           QStringLiteral("\nCommands:\n") + table(commands) +
           QStringLiteral("\n\"velmora <command> --help\" describes a command's arguments.\n");
}

QString CommandLine::modeHelp(const Mode& mode) const {
    QList<std::pair<QString, QString>> options;
    for (const QCommandLineOption& option : mode.options)
        options.append({spelled(option), option.description()});
    QString text = QStringLiteral("Usage: velmora --%1%2\n\n%3\n")
                       .arg(mode.option, mode.options.isEmpty() ? QString() : QStringLiteral(" [options]"),
                            mode.description);
    if (!options.isEmpty())
        text += QStringLiteral("\nOptions:\n") + table(options);
    return text;
}

bool CommandLine::hasDisplay(const QProcessEnvironment& environment) {
    const bool x11 = !environment.value(QStringLiteral("DISPLAY")).isEmpty();
    const bool wayland = !environment.value(QStringLiteral("WAYLAND_DISPLAY")).isEmpty();
    const QString platforms = environment.value(QStringLiteral("QT_QPA_PLATFORM"));
    if (platforms.trimmed().isEmpty())
        return x11 || wayland;
    // A list such as "wayland;xcb" is tried in order; options follow a colon.
    for (const QString& entry : platforms.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const QString platform = entry.section(QLatin1Char(':'), 0, 0).trimmed();
        if (platform == QLatin1String("xcb")) {
            if (x11)
                return true;
        } else if (platform.startsWith(QLatin1String("wayland"))) {
            if (wayland)
                return true;
        } else {
            return true; // offscreen, minimal, eglfs …: no desktop display needed
        }
    }
    return false;
}

int CommandLine::run(const QStringList& arguments, const ApplicationFactory& makeApplication,
                     QTextStream& out, QTextStream& err, const QProcessEnvironment& environment) const {
    const auto fail = [&err](int status, const QString& message) {
        err << "velmora: " << message << '\n';
        err.flush();
        return status;
    };
    const QString first = arguments.value(1);
    for (const Subcommand& command : subcommands_) {
        if (command.name == first) {
            makeApplication(false);
            return command.run(arguments.mid(1));
        }
    }
    if (!first.isEmpty() && !first.startsWith(QLatin1Char('-')))
        return fail(exitUsage, QStringLiteral("unknown command \"%1\" (velmora --help lists the commands)").arg(first));

    QCommandLineParser parser;
    parser.addOptions(allOptions());
    if (!parser.parse(arguments.isEmpty() ? QStringList{QStringLiteral("velmora")} : arguments)) {
        QString problem = parser.errorText();
        if (problem.endsWith(QLatin1Char('.')))
            problem.chop(1);
        return fail(exitUsage, problem + QStringLiteral(" (see velmora --help)"));
    }
    if (!parser.positionalArguments().isEmpty()) {
        return fail(exitUsage, QStringLiteral("unexpected argument \"%1\" (see velmora --help)")
                                   .arg(parser.positionalArguments().front()));
    }
    const Mode* chosen = nullptr;
    for (const Mode& mode : modes_) {
        if (!parser.isSet(mode.option))
            continue;
        if (chosen) {
            return fail(exitUsage, QStringLiteral("--%1 and --%2 cannot be used together")
                                       .arg(chosen->option, mode.option));
        }
        chosen = &mode;
    }
    for (const Mode& mode : modes_) {
        for (const QCommandLineOption& option : mode.options) {
            const QString name = option.names().front();
            const bool chosenTakesIt = chosen && std::any_of(chosen->options.cbegin(), chosen->options.cend(),
                [&name](const QCommandLineOption& own) { return own.names().front() == name; });
            if (&mode != chosen && parser.isSet(name) && !chosenTakesIt)
                return fail(exitUsage, QStringLiteral("--%1 needs --%2").arg(name, mode.option));
        }
    }
    if (parser.isSet(helpOption)) {
        out << (chosen ? modeHelp(*chosen) : helpText());
        out.flush();
        return 0;
    }
    if (parser.isSet(versionOption)) {
        out << "velmora " << VELMORA_VERSION << '\n';
        out.flush();
        return 0;
    }
    const Mode& mode = chosen ? *chosen : defaultMode_;
    // Qt would abort deep inside its start-up; say what is missing and what works instead.
    if (mode.needsDisplay && !hasDisplay(environment)) {
        return fail(exitNoDisplay, QStringLiteral("no display to show windows on (neither DISPLAY nor "
                                                  "WAYLAND_DISPLAY is set); to record without "
                                                  "windows, run velmora --headless"));
    }
    makeApplication(mode.needsDisplay);
    return mode.run(arguments);
}

std::optional<int> CommandLine::parseSubcommand(QCommandLineParser& parser, QStringList arguments,
                                                const QString& name, const QCommandLineOption& help,
                                                QTextStream& out, QTextStream& err) {
    // The first argument plays the program name.
    const QString program = QStringLiteral("velmora ") + name;
    if (!arguments.isEmpty())
        arguments.front() = program;
    if (!parser.parse(arguments)) {
        err << program << ": " << parser.errorText() << '\n';
        err.flush();
        return exitUsage;
    }
    if (!parser.isSet(help))
        return std::nullopt;
    QString text = parser.helpText();
    // The usage line names the executable only.
    const qsizetype options = text.indexOf(QStringLiteral(" [options]"));
    if (options > 0)
        text.replace(0, options, QStringLiteral("Usage: ") + program);
    out << text;
    out.flush();
    return 0;
}

} // namespace velmora
