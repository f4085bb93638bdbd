// The command line as a user meets it: the built `velmora` run in a child process on real
// temporary folders.
#include "app/CommandLine.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace velmora;

namespace {

struct Outcome {
    int status = -1;
    QString out;
    QString err;
    QStringList errLines() const { return err.split(QLatin1Char('\n'), Qt::SkipEmptyParts); }
};

// A desktop-less environment unless the test adds to it.
QProcessEnvironment bareEnvironment() {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "DBUS_SESSION_BUS_ADDRESS",
                             "QT_LOGGING_RULES"})
        environment.remove(QString::fromLatin1(name));
    return environment;
}

Outcome velmora(const QStringList& arguments, QProcessEnvironment environment = bareEnvironment()) {
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(VELMORA_EXECUTABLE), arguments);
    Outcome run;
    if (!process.waitForFinished(30000)) {
        process.kill();
        process.waitForFinished();
        run.err = QStringLiteral("<did not finish>");
        return run;
    }
    run.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

QString fixture(const QString& name) {
    return QStringLiteral(VELMORA_TEST_FIXTURES "/replay/") + name;
}

mode_t modeOf(const QString& path) {
    struct stat status {};
    return ::stat(QFile::encodeName(path).constData(), &status) == 0 ? status.st_mode & 07777 : 0;
}

// Velmora's files are private whatever the umask says; a permissive one shows it.
class PermissiveUmask {
public:
    PermissiveUmask() : previous_(::umask(022)) {}
    ~PermissiveUmask() { ::umask(previous_); }

private:
    mode_t previous_;
};

TEST(CommandLineTest, HelpListsEveryCommandAndEveryCommandAnswersHelpWithoutADisplay) {
    const Outcome help = velmora({QStringLiteral("--help")});
    ASSERT_EQ(help.status, 0) << qPrintable(help.err);
    const QString commands = help.out.section(QStringLiteral("Commands:\n"), 1);
    EXPECT_TRUE(commands.contains(QRegularExpression(QStringLiteral("^  replay +\\S"), QRegularExpression::MultilineOption)))
        << qPrintable(help.out);
    EXPECT_TRUE(commands.contains(QRegularExpression(QStringLiteral("^  probe +\\S"), QRegularExpression::MultilineOption)));
    EXPECT_TRUE(help.out.contains(QStringLiteral("--headless")));
    EXPECT_TRUE(help.out.contains(QStringLiteral("--output-dir <dir>")));

    for (const QString& command : {QStringLiteral("replay"), QStringLiteral("probe")}) {
        const Outcome own = velmora({command, QStringLiteral("--help")});
        EXPECT_EQ(own.status, 0) << qPrintable(command);
        EXPECT_TRUE(own.out.startsWith(QStringLiteral("Usage: velmora ") + command)) << qPrintable(own.out);
    }
    const Outcome headless = velmora({QStringLiteral("--headless"), QStringLiteral("--help")});
    EXPECT_EQ(headless.status, 0);
    EXPECT_TRUE(headless.out.startsWith(QStringLiteral("Usage: velmora --headless"))) << qPrintable(headless.out);

    const Outcome version = velmora({QStringLiteral("--version")});
    EXPECT_EQ(version.status, 0);
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^velmora \\d+\\.\\d+\\.\\d+\n$")).match(version.out).hasMatch())
        << qPrintable(version.out);
}

TEST(CommandLineTest, UnknownCommandsAndOptionsGetOneLineAndStatusTwo) {
    const QList<QStringList> mistakes{
        {QStringLiteral("frobnicate")},
        {QStringLiteral("--frobnicate")},
        {QStringLiteral("--headless"), QStringLiteral("extra")},
        {QStringLiteral("--output-dir"), QStringLiteral("/tmp")},
        {QStringLiteral("--headless"), QStringLiteral("--enable-accessibility")},
        {QStringLiteral("--window"), QStringLiteral("--headless"), QStringLiteral("--output-dir"), QStringLiteral("/tmp")},
        {QStringLiteral("replay"), QStringLiteral("--frobnicate")},
        {QStringLiteral("probe"), QStringLiteral("--frobnicate")},
        {QStringLiteral("probe"), QStringLiteral("extra")},
    };
    for (const QStringList& arguments : mistakes) {
        const Outcome run = velmora(arguments);
        EXPECT_EQ(run.status, 2) << qPrintable(arguments.join(' '));
        EXPECT_EQ(run.errLines().size(), 1) << qPrintable(run.err);
        EXPECT_TRUE(run.err.startsWith(QStringLiteral("velmora"))) << qPrintable(run.err);
        EXPECT_TRUE(run.out.isEmpty()) << qPrintable(run.out);
    }
}

TEST(CommandLineTest, WithoutADisplayTheWindowsAreRefusedInOneLineThatPointsToHeadless) {
    // The window takes --output-dir as headless mode does, and needs a display first.
    for (const QStringList& arguments :
         {QStringList{}, QStringList{QStringLiteral("--window"), QStringLiteral("--output-dir"), QStringLiteral("/tmp")}}) {
        const Outcome run = velmora(arguments);
        EXPECT_EQ(run.status, 1) << qPrintable(arguments.join(' '));
        ASSERT_EQ(run.errLines().size(), 1) << qPrintable(run.err);
        EXPECT_TRUE(run.err.contains(QStringLiteral("velmora --headless"))) << qPrintable(run.err);
        EXPECT_TRUE(run.out.isEmpty());
    }
}

TEST(CommandLineTest, DisplayIsFoundForThePlatformQtWillUse) {
    const auto environment = [](std::initializer_list<std::pair<const char*, const char*>> variables) {
        QProcessEnvironment result;
        for (const auto& [name, value] : variables)
            result.insert(QString::fromLatin1(name), QString::fromLatin1(value));
        return result;
    };
    EXPECT_FALSE(CommandLine::hasDisplay(environment({})));
    EXPECT_TRUE(CommandLine::hasDisplay(environment({{"DISPLAY", ":0"}})));
    EXPECT_TRUE(CommandLine::hasDisplay(environment({{"WAYLAND_DISPLAY", "wayland-0"}})));
    EXPECT_TRUE(CommandLine::hasDisplay(environment({{"QT_QPA_PLATFORM", "offscreen"}})));
    EXPECT_FALSE(CommandLine::hasDisplay(environment({{"QT_QPA_PLATFORM", "xcb"}, {"WAYLAND_DISPLAY", "w"}})));
    EXPECT_TRUE(CommandLine::hasDisplay(environment({{"QT_QPA_PLATFORM", "wayland;xcb"}, {"DISPLAY", ":1"}})));
    EXPECT_FALSE(CommandLine::hasDisplay(environment({{"QT_QPA_PLATFORM", "wayland-egl"}, {"DISPLAY", ":1"}})));
}

TEST(CommandLineTest, ReplayCreatesTheFolderItIsGivenWithItsParentsPrivately) {
    const PermissiveUmask umask;
    QTemporaryDir root;
    ASSERT_TRUE(QFile::setPermissions(root.path(), QFileDevice::Permissions(0x7755)));
    const QString output = root.filePath(QStringLiteral("meetings/2026/march"));

    const Outcome run = velmora({QStringLiteral("replay"), fixture(QStringLiteral("standup.jsonl")),
                             QStringLiteral("--output-dir"), output});
    ASSERT_EQ(run.status, 0) << qPrintable(run.err);
    const QString transcript = run.out.trimmed().section(QLatin1Char('\n'), -1);
    EXPECT_EQ(QFileInfo(transcript).absolutePath(), output);
    EXPECT_EQ(modeOf(transcript), 0600u);
    EXPECT_EQ(modeOf(output), 0700u);
    EXPECT_EQ(modeOf(root.filePath(QStringLiteral("meetings"))), 0700u);
    EXPECT_EQ(modeOf(root.path()), 0755u) << "an existing folder keeps its mode";
}

TEST(CommandLineTest, AFileInTheWayOfTheOutputFolderIsAnErrorAndNothingIsWritten) {
    QTemporaryDir root;
    const QString file = root.filePath(QStringLiteral("taken"));
    QFile taken(file);
    ASSERT_TRUE(taken.open(QIODevice::WriteOnly));
    taken.close();

    for (const QString& output : {file, file + QStringLiteral("/below")}) {
        const Outcome replay = velmora({QStringLiteral("replay"), fixture(QStringLiteral("standup.jsonl")),
                                    QStringLiteral("--output-dir"), output});
        EXPECT_EQ(replay.status, 2);
        EXPECT_EQ(replay.errLines(), QStringList{QStringLiteral("velmora replay: ") + file +
                                                 QStringLiteral(" exists and is not a folder")});
        const Outcome headless = velmora({QStringLiteral("--headless"), QStringLiteral("--output-dir"), output});
        EXPECT_EQ(headless.status, 2);
        EXPECT_EQ(headless.errLines(),
                  QStringList{QStringLiteral("velmora: ") + file + QStringLiteral(" exists and is not a folder")});
    }
    EXPECT_EQ(QDir(root.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden),
              QStringList{QStringLiteral("taken")});
}

// Accessibility is off here (no session bus): the folder is made and watched all the same,
// and each problem is told once before the hint.
TEST(CommandLineTest, HeadlessCreatesItsFolderAndTellsEachProblemOnce) {
    const PermissiveUmask umask;
    QTemporaryDir root;
    const QString output = root.filePath(QStringLiteral("new/velmora"));
    QProcessEnvironment environment = bareEnvironment();
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), root.filePath(QStringLiteral("config")));

    const Outcome run = velmora({QStringLiteral("--headless"), QStringLiteral("--output-dir"), output}, environment);
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(QFileInfo(output).isDir());
    EXPECT_EQ(modeOf(output), 0700u);
    EXPECT_FALSE(run.err.contains(QStringLiteral("Failed to open directory for watching"))) << qPrintable(run.err);

    EXPECT_TRUE(run.out.isEmpty()) << "no state line for a start that failed: " << qPrintable(run.out);
    QStringList said;
    for (const QString& line : run.errLines())
        said.append(line.section(QStringLiteral(": "), line.startsWith(QStringLiteral("velmora.")) ? 1 : 0, -1));
    EXPECT_EQ(said.removeDuplicates(), 0) << qPrintable(run.err);
    const QStringList lines = run.errLines();
    ASSERT_GE(lines.size(), 2);
    EXPECT_TRUE(lines.at(lines.size() - 2).startsWith(QStringLiteral("Accessibility permission required.")))
        << qPrintable(run.err);
    EXPECT_TRUE(lines.back().contains(QStringLiteral("velmora --enable-accessibility")));
}

} // namespace
