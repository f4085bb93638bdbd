#include "app/SummarizeCommand.h"

#include "fakes/LocalModelServer.h"
#include "fakes/ManualScheduler.h"
#include "summary/SummaryFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include "fakes/QtPrinters.h"

#include <gtest/gtest.h>

using namespace velmora;

namespace {

class SummarizeCommandTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    ManualScheduler scheduler;
    LocalModelServer server;
    QString out;
    QString err;
    QString transcript = write(QStringLiteral("2026-03-14_09-30-05_Teams.md"),
                               "# Meeting Transcript\n\n---\n\n**[09:30:05] Ann Lee:**\n\n"
                               "I'll send the release checklist by Friday.\n");

    QString write(const QString& name, const QByteArray& content) {
        QFile file(dir.filePath(name));
        file.open(QIODevice::WriteOnly);
        file.write(content);
        return file.fileName();
    }
    QString closedUrl() {
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost, 0);
        return QStringLiteral("http://127.0.0.1:%1/v1").arg(probe.serverPort());
    }
    int run(QStringList arguments, bool terminal = false) {
        out.clear();
        err.clear();
        QTextStream outStream(&out);
        QTextStream errStream(&err);
        arguments.prepend(QStringLiteral("summarize"));
        const int status = SummarizeCommand::run(arguments, outStream, errStream, scheduler, terminal);
        outStream.flush();
        errStream.flush();
        return status;
    }
    QString summaryPath() const { return SummaryFile::pathFor(transcript); }
};

} // namespace

TEST_F(SummarizeCommandTest, ExtractiveWithoutAnyServer) {
    EXPECT_EQ(run({transcript, "--engine", "auto", "--model-url", closedUrl()}), 0) << qPrintable(err);
    EXPECT_EQ(out, summaryPath() + "\n");
    EXPECT_TRUE(err.contains("Summary written by the extractive engine")) << qPrintable(err);
    EXPECT_TRUE(QFile::exists(summaryPath()));

    QFile::remove(summaryPath());
    EXPECT_EQ(run({transcript, "--engine", "extractive"}), 0);
    EXPECT_EQ(out, summaryPath() + "\n");
}

TEST_F(SummarizeCommandTest, ModelServerWritesItAndProgressShowsOnATerminal) {
    server.serveChat([](const LocalModelServer::Request&) {
        return LocalModelServer::answer({{"Release checklist"}, {"Ann Lee will send the checklist"}, {}});
    });
    EXPECT_EQ(run({transcript, "--model-url", server.baseUrl().toString(), "--engine", "model"}, true), 0)
        << qPrintable(err);
    EXPECT_TRUE(err.contains("summarizing chunk 1/1"));
    EXPECT_TRUE(err.contains("Summary written by the model test-model.gguf at " + server.baseUrl().toString()))
        << qPrintable(err);
    QFile file(summaryPath());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll().contains("- Ann Lee will send the checklist\n"));

    // auto uses the model too when it answers; without a terminal there is no progress.
    EXPECT_EQ(run({transcript, "--model-url", server.baseUrl().toString(), "--model", "small"}), 0);
    EXPECT_FALSE(err.contains("chunk"));
    EXPECT_EQ(server.chatRequests().last().json().value("model").toString(), "small");
}

TEST_F(SummarizeCommandTest, ModelAskedButNoSummaryIsExitOneWithNothingWritten) {
    EXPECT_EQ(run({transcript, "--engine", "model", "--model-url", closedUrl()}), 1);
    EXPECT_TRUE(out.isEmpty());
    EXPECT_FALSE(QFile::exists(summaryPath()));

    server.serveChat([](const LocalModelServer::Request&) { return LocalModelServer::serverError(); });
    EXPECT_EQ(run({transcript, "--engine", "model", "--model-url", server.baseUrl().toString()}), 1);
    EXPECT_FALSE(QFile::exists(summaryPath()));
    // auto falls back to the built-in engine when the model fails.
    EXPECT_EQ(run({transcript, "--model-url", server.baseUrl().toString()}), 0);
    EXPECT_TRUE(err.contains("extractive engine"));
}

TEST_F(SummarizeCommandTest, UnreadableInputOrUnwritableSummaryIsExitTwo) {
    EXPECT_EQ(run({dir.filePath("missing.md"), "--engine", "extractive"}), 2);
    EXPECT_TRUE(err.contains("missing.md"));
    EXPECT_EQ(run({dir.filePath("missing.md"), "--engine", "model", "--model-url", closedUrl()}), 2);
    EXPECT_EQ(run({transcript, "--engine", "fast"}), 2);
    EXPECT_EQ(run({transcript, "--model-url", "ftp://host/v1"}), 2);
    EXPECT_EQ(run({transcript, "--notes", dir.filePath("no-notes.md")}), 2);
    EXPECT_EQ(run({}), 2);
    EXPECT_FALSE(QFile::exists(summaryPath()));

    ASSERT_TRUE(QDir(dir.path()).mkdir(QFileInfo(summaryPath()).fileName()));
    EXPECT_EQ(run({transcript, "--engine", "extractive"}), 2);
    EXPECT_TRUE(out.isEmpty());
    EXPECT_TRUE(err.contains("Cannot write")) << qPrintable(err);
}
