#include "app/ReplayCommand.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace velmora;

namespace {

QString fixture(const QString& name) {
    // __FILE__ is relative to the build folder under ccache, and ctest runs elsewhere.
    return QStringLiteral(VELMORA_TEST_FIXTURES "/replay/") + name;
}

QByteArray readBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

struct CommandRun {
    int status = -1;
    QString out;
    QString err;
    QString lastLine() const { return out.trimmed().section('\n', -1); }
};

CommandRun replay(const QStringList& arguments) {
    CommandRun run;
    QTextStream out(&run.out), err(&run.err);
    run.status = ReplayCommand::run(QStringList{"replay"} + arguments, out, err);
    return run;
}

class ReplayCommandTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString output() const { return dir.filePath("out"); }
    void SetUp() override { ASSERT_TRUE(QDir().mkpath(output())); }
    QStringList written() const { return QDir(output()).entryList(QDir::Files | QDir::Hidden); }
    QString input(const QByteArray& content) const {
        const QString path = dir.filePath("input.jsonl");
        QFile file(path);
        file.open(QIODevice::WriteOnly | QIODevice::Truncate);
        file.write(content);
        return path;
    }
};

TEST_F(ReplayCommandTest, ReplaysIntoMarkdownAndPlainText) {
    const CommandRun markdown = replay({fixture("standup.jsonl"), "--output-dir", output(), "--title", "Daily stand-up"});
    ASSERT_EQ(markdown.status, 0) << qPrintable(markdown.err);
    EXPECT_EQ(markdown.out.section('\n', 0, 0), "Stopped: sourceEnded");
    EXPECT_EQ(markdown.lastLine(), QDir(output()).filePath("2026-03-14_09-30-05_Daily-stand-up.md"));
    EXPECT_EQ(readBytes(markdown.lastLine()), readBytes(fixture("standup.md")));

    const CommandRun plain = replay({fixture("standup.jsonl"), "--output-dir", output(), "--format", "plainText"});
    ASSERT_EQ(plain.status, 0) << qPrintable(plain.err);
    EXPECT_EQ(plain.lastLine(), QDir(output()).filePath("2026-03-14_09-30-05_transcript.txt"));
    EXPECT_EQ(readBytes(plain.lastLine()), readBytes(fixture("standup.txt")));
}

TEST_F(ReplayCommandTest, SameInputGivesTheSameBytesUnderAFreeName) {
    const CommandRun first = replay({fixture("standup.jsonl"), "--output-dir", output()});
    const CommandRun second = replay({fixture("standup.jsonl"), "--output-dir", output()});
    ASSERT_EQ(second.status, 0);
    EXPECT_EQ(QFileInfo(second.lastLine()).fileName(), "2026-03-14_09-30-05_transcript-2.md");
    EXPECT_EQ(readBytes(first.lastLine()), readBytes(second.lastLine()));
}

// After 120 empty polls the session ends; the rest of the file is not read, and the meeting
// ends at the last snapshot read.
TEST_F(ReplayCommandTest, GraceExpiryEndsTheReplay) {
    const CommandRun run = replay({fixture("grace.jsonl"), "--output-dir", output()});
    ASSERT_EQ(run.status, 0) << qPrintable(run.err);
    EXPECT_EQ(run.out.section('\n', 0, 0), "Stopped: graceExpired");
    EXPECT_EQ(readBytes(run.lastLine()), readBytes(fixture("grace.md")));
}

TEST_F(ReplayCommandTest, BadSnapshotLinesAreNamedAndNothingIsWritten) {
    const QByteArray good = R"({"time": "2026-03-14T09:30:05Z", "lines": [{"speaker": "A", "text": "hi"}]})";
    const QList<std::pair<QByteArray, QString>> cases{
        {R"({"time": "2026-03-14T09:30:07Z", "lines": [)", "not valid JSON"},
        {R"(["2026-03-14T09:30:07Z"])", "not a JSON object"},
        {R"({"lines": []})", "lacks the field \"time\""},
        {R"({"time": 1773480607, "lines": []})", "field \"time\" is not a string"},
        {R"({"time": "14/03/2026 09:30", "lines": []})", "the time \"14/03/2026 09:30\" does not parse"},
        {R"({"time": "2026-03-14T09:30:07Z"})", "lacks the field \"lines\""},
        {R"({"time": "2026-03-14T09:30:07Z", "lines": {}})", "field \"lines\" is not an array"},
        {R"({"time": "2026-03-14T09:30:07Z", "lines": [{"speaker": "A"}]})",
         "lines[0] lacks the field \"text\""},
        {R"({"time": "2026-03-14T09:30:07Z", "lines": [{"speaker": 3, "text": "x"}]})",
         "lines[0] field \"speaker\" is not a string"},
        {"", "empty line"},
    };
    for (const auto& [bad, problem] : cases) {
        const QString path = input(good + '\n' + good + '\n' + bad + '\n' + good + '\n');
        const CommandRun run = replay({path, "--output-dir", output()});
        EXPECT_EQ(run.status, 2) << qPrintable(problem);
        EXPECT_TRUE(run.err.contains("line 3: " + problem)) << qPrintable(run.err);
        EXPECT_TRUE(run.out.isEmpty());
        EXPECT_TRUE(written().isEmpty()) << qPrintable(written().join(' '));
    }
}

TEST_F(ReplayCommandTest, BadArgumentsAndPathsExitWithStatusTwo) {
    const QString good = input(R"({"time": "2026-03-14T09:30:05Z", "lines": []})"
                               "\n");
    const QString file = dir.filePath("input.jsonl");
    const QList<std::pair<QStringList, QString>> cases{
        {{dir.filePath("missing.jsonl"), "--output-dir", output()}, "cannot read"},
        {{good, "--output-dir", dir.filePath("nowhere")}, "does not exist"},
        {{good, "--output-dir", file}, "is not a directory"},
        {{good, "--output-dir", output(), "--format", "pdf"}, "unknown format \"pdf\""},
        {{good}, "--output-dir is required"},
        {{"--output-dir", output()}, "expected one snapshot file"},
    };
    for (const auto& [arguments, problem] : cases) {
        const CommandRun run = replay(arguments);
        EXPECT_EQ(run.status, 2) << qPrintable(arguments.join(' '));
        EXPECT_TRUE(run.err.contains(problem)) << qPrintable(run.err);
    }
    const CommandRun empty = replay({input(""), "--output-dir", output()});
    EXPECT_EQ(empty.status, 2);
    EXPECT_TRUE(empty.err.contains("holds no snapshots")) << qPrintable(empty.err);
    EXPECT_TRUE(written().isEmpty());
}

} // namespace
