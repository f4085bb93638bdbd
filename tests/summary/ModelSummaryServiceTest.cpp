#include "summary/ModelSummaryService.h"
#include "summary/OpenAICompatibleModel.h"
#include "summary/SummaryFile.h"
#include "summary/SummarySchema.h"

#include "fakes/AwaitTask.h"
#include "fakes/LocalModelServer.h"
#include "fakes/LogCapture.h"
#include "fakes/ManualScheduler.h"

#include <QFile>
#include <QJsonArray>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include "fakes/QtPrinters.h"

#include <gtest/gtest.h>

using namespace velmora;
using namespace std::chrono_literals;
using Response = LocalModelServer::Response;
using Request = LocalModelServer::Request;

namespace {

QString readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// `count` numbered lines ("L0001 …") of `width` characters each.
QString numberedLines(int count, int width, const QString& tag = QStringLiteral("L")) {
    QStringList lines;
    for (int i = 1; i <= count; ++i) {
        const QString head = tag + QStringLiteral("%1 ").arg(i, 4, 10, QLatin1Char('0'));
        lines.append(head + QString(width - head.size(), u'w'));
    }
    return lines.join(u'\n');
}

// The transcript text a chat request carries (after the instructions and notes).
QString transcriptOf(const Request& request) {
    const QString prompt = request.prompt();
    return prompt.mid(prompt.indexOf(QStringLiteral("Transcript:\n")) + 12);
}

class ModelSummaryServiceTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    ManualScheduler scheduler;
    LocalModelServer server;
    std::shared_ptr<OpenAICompatibleModel> model =
        std::make_shared<OpenAICompatibleModel>(server.baseUrl(), QString(), scheduler);
    ModelSummaryService service{model};
    LogCapture log{"velmora.summary"};

    QString transcript(const QString& text, const QString& name = QStringLiteral("2026-03-14_09-30-05_Teams.md")) {
        const QString path = dir.filePath(name);
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        file.write(text.toUtf8());
        return path;
    }
    Awaited<std::optional<GeneratedSummary>> summarize(const QString& path,
                                                       std::optional<QString> notes = std::nullopt) {
        return awaitTask(service.generateSummary(path, std::move(notes)));
    }
};

} // namespace

TEST_F(ModelSummaryServiceTest, ExactlyTheLimitIsOneRequestOneMoreIsMapReduce) {
    server.serveChat([](const Request&) { return LocalModelServer::answer({{"Billing"}, {"Ann Lee: ship it"}, {}}); });
    QString text = numberedLines(80, 99);
    text += u'x'; // 80 × 99 + 79 line breaks + 1 = 8000
    ASSERT_EQ(text.size(), 8000);
    auto single = summarize(transcript(text));
    ASSERT_TRUE(single.value && *single.value) << qPrintable(single.error.value_or(""));
    EXPECT_EQ(server.chatRequests().size(), 1);
    EXPECT_EQ(transcriptOf(server.chatRequests().first()), text);
    EXPECT_EQ((*single.value)->engine, SummaryEngine::model);
    EXPECT_TRUE(log.contains("velmora.summary", "Short transcript (8000 chars), single-shot summary"));

    server.requests.clear();
    auto mapped = summarize(transcript(text + u'y'));
    ASSERT_TRUE(mapped.value && *mapped.value);
    const auto chats = server.chatRequests();
    ASSERT_EQ(chats.size(), 3); // two chunks, then the merge
    EXPECT_TRUE(chats[2].prompt().startsWith(ModelSummaryService::reducePrompt));
    EXPECT_EQ(transcriptOf(chats[0]) + u'\n' + transcriptOf(chats[1]), text + u'y');
    EXPECT_TRUE(log.contains("velmora.summary", "Long transcript (8001 chars), using map-reduce"));
    EXPECT_TRUE(log.contains("velmora.summary", "Split transcript into 2 chunks"));
    EXPECT_EQ(readFile((*mapped.value)->path),
              "# Meeting Summary\n\n## Topics\n- Billing\n\n## Action Items\n- Ann Lee: ship it\n\n"
              "## Decisions\n\n## Attendees\n");
}

TEST_F(ModelSummaryServiceTest, RequestsCarryPromptNotesAndSchemaWithoutSamplingOptions) {
    const QString text = QStringLiteral("# Meeting Transcript\n\n---\n\n**[09:30:05] Ann Lee:**\n\nWe ship Friday.\n");
    auto result = summarize(transcript(text), QStringLiteral("- check the budget"));
    ASSERT_TRUE(result.value);
    ASSERT_EQ(server.chatRequests().size(), 1);
    const Request request = server.chatRequests().first();
    EXPECT_EQ(request.method, "POST");
    EXPECT_EQ(request.path, "/v1/chat/completions");
    EXPECT_EQ(request.prompt(), ModelSummaryService::chunkPrompt +
                                    "IMPORTANT \u2014 User's personal meeting notes. Incorporate these "
                                    "as action items, topics, or decisions:\n- check the budget\n\n" +
                                    text);
    EXPECT_TRUE(request.content().contains(QString::fromUtf8(SummarySchema::json())));

    const QJsonObject body = request.json();
    EXPECT_EQ(body.value("model").toString(), "test-model.gguf"); // the first the server lists
    EXPECT_EQ(body.value("messages").toArray().size(), 1);
    EXPECT_EQ(body.value("messages").toArray().first().toObject().value("role").toString(), "user");
    EXPECT_EQ(body.value("response_format").toObject().value("type").toString(), "json_schema");
    const QJsonObject properties = body.value("response_format").toObject().value("json_schema").toObject()
                                       .value("schema").toObject().value("properties").toObject();
    EXPECT_EQ(properties.value("topics").toObject().value("description").toString(),
              "3 to 8 specific topics discussed, using component or tool names");
    EXPECT_EQ(properties.value("actionItems").toObject().value("description").toString(),
              "Commitments from the transcript, each starting with the person's full name");
    EXPECT_EQ(properties.value("decisions").toObject().value("description").toString(),
              "Agreements the group explicitly confirmed");
    // Properties in the order the model should write them.
    EXPECT_LT(request.body.indexOf("\"topics\":{"), request.body.indexOf("\"actionItems\":{"));
    EXPECT_LT(request.body.indexOf("\"actionItems\":{"), request.body.indexOf("\"decisions\":{"));
    for (const char* sampling : {"temperature", "top_p", "top_k", "max_tokens", "seed", "n_predict"})
        EXPECT_FALSE(body.contains(sampling)) << sampling;

    // Notes of only blanks add no block.
    server.requests.clear();
    summarize(transcript(text), QStringLiteral("  \n\t\n"));
    EXPECT_EQ(server.chatRequests().first().prompt(), ModelSummaryService::chunkPrompt + text);
}

TEST_F(ModelSummaryServiceTest, FailingMiddleChunkLeavesTheOthersToTheMerge) {
    const QString text = numberedLines(79, 100, "A") + u'\n' + numberedLines(79, 100, "B") + u'\n' +
                         numberedLines(79, 100, "C");
    server.serveChat([](const Request& request) {
        const QString transcriptText = transcriptOf(request);
        if (request.prompt().startsWith(ModelSummaryService::reducePrompt))
            return LocalModelServer::answer({{"merged"}, {}, {}});
        if (transcriptText.startsWith("B"))
            return LocalModelServer::serverError();
        return LocalModelServer::answer({{transcriptText.left(1)}, {}, {}});
    });
    auto result = summarize(transcript(text));
    ASSERT_TRUE(result.value && *result.value);
    const auto chats = server.chatRequests();
    ASSERT_EQ(chats.size(), 4);
    EXPECT_TRUE(chats[3].prompt().endsWith("Partials:\n--- Segment 1 ---\nTopics: A\n\n"
                                           "--- Segment 2 ---\nTopics: C\n\n"));
    EXPECT_TRUE(log.contains("velmora.summary", "Chunk summary failed: HTTP 500"));
    EXPECT_TRUE(readFile((*result.value)->path).contains("- merged\n"));
}

TEST_F(ModelSummaryServiceTest, FailedMergeConcatenatesThePartials) {
    server.serveChat([](const Request& request) {
        if (request.prompt().startsWith(ModelSummaryService::reducePrompt))
            return LocalModelServer::content("the merged summary is: topics t1, t2, t3");
        return transcriptOf(request).startsWith("A") ? LocalModelServer::answer({{"t1", "t2"}, {"a1"}, {}})
                                                     : LocalModelServer::answer({{"t2", "t3"}, {}, {"d1"}});
    });
    auto result = summarize(transcript(numberedLines(79, 100, "A") + u'\n' + numberedLines(79, 100, "B")));
    ASSERT_TRUE(result.value && *result.value);
    EXPECT_EQ(readFile((*result.value)->path),
              "# Meeting Summary\n\n## Topics\n- t1\n- t2\n- t2\n- t3\n\n## Action Items\n- a1\n\n"
              "## Decisions\n- d1\n\n## Attendees\n");
    EXPECT_TRUE(log.contains("velmora.summary", "Reduce pass failed"));
    EXPECT_TRUE(log.contains("velmora.summary", "falling back to concatenation"));
    // A partial without topics writes no "Topics: " line.
    EXPECT_EQ(ModelSummaryService::partialsText({{{}, {"a"}, {}}, {{"t"}, {}, {"d"}}}),
              "--- Segment 1 ---\nAction items: a\n\n--- Segment 2 ---\nTopics: t\nDecisions: d\n\n");
}

TEST_F(ModelSummaryServiceTest, ContextErrorsSplitTheChunkUntilEveryLineIsRead) {
    // The model refuses more than 1,500 characters of transcript.
    server.serveChat([](const Request& request) {
        const QString text = transcriptOf(request);
        if (text.size() > 1500)
            return LocalModelServer::contextError(text.size() / 3, 512);
        return LocalModelServer::answer({{text.section(u' ', 0, 0)}, {}, {}});
    });
    const QString text = numberedLines(79, 100); // 7,978 characters
    auto result = summarize(transcript(text));
    ASSERT_TRUE(result.value && *result.value);

    QSet<QString> read;
    int accepted = 0;
    for (const Request& request : server.chatRequests()) {
        const QString piece = transcriptOf(request);
        if (piece.size() <= 1500) {
            ++accepted;
            for (const QString& line : piece.split(u'\n'))
                read.insert(line);
        }
    }
    for (const QString& line : text.split(u'\n'))
        EXPECT_TRUE(read.contains(line)) << qPrintable(line);
    // 8000 → two of ~4000 → four of ~2000 → eight of ~1000, all accepted.
    EXPECT_EQ(server.chatRequests().size(), 1 + 2 + 4 + 8);
    EXPECT_EQ(accepted, 8);
    EXPECT_EQ(log.count("velmora.summary", "Generation error (7978 chars), retrying with halved size 4000"), 1);
    const QString summary = readFile((*result.value)->path);
    // One topic from each accepted piece, the first piece first.
    EXPECT_TRUE(summary.contains("## Topics\n- L0001\n")) << qPrintable(summary);
    EXPECT_EQ(summary.count(QStringLiteral("\n- L")), 8);
}

TEST_F(ModelSummaryServiceTest, ModelRefusingEverythingCostsAtMostThirtyOneRequestsAndWritesNothing) {
    server.serveChat([](const Request& request) { return LocalModelServer::contextError(transcriptOf(request).size(), 10); });
    const QString path = transcript(numberedLines(79, 100));
    SummaryFile::write(SummaryFile::pathFor(path), "# Meeting Summary\n\n## Topics\n- earlier\n");
    auto result = summarize(path);
    ASSERT_TRUE(result.value);
    EXPECT_FALSE(*result.value);
    EXPECT_EQ(server.chatRequests().size(), 31);
    EXPECT_EQ(log.count("velmora.summary", "Chunk too small to retry, skipping"), 16);
    // The earlier summary is not replaced by an empty one.
    EXPECT_EQ(readFile(SummaryFile::pathFor(path)), "# Meeting Summary\n\n## Topics\n- earlier\n");
}

TEST_F(ModelSummaryServiceTest, OtherFailuresGiveUpTheChunkAtOnce) {
    const QString path = transcript(QStringLiteral("**[09:00:00] Ann:**\n\nHello there.\n"));
    const std::vector<std::pair<Response, QString>> cases{
        {LocalModelServer::serverError(), "HTTP 500 from the model server: failed to decode the batch"},
        {LocalModelServer::loading(), "the model server is not ready: Loading model"},
        {LocalModelServer::content("Sure! Here is your summary: the team met."), "not the summary JSON"},
        {LocalModelServer::content(R"({"topics": "one", "actionItems": [], "decisions": []})"), "not the summary JSON"},
        {{400, R"({"error":{"code":400,"type":"invalid_request_error","message":"bad grammar"}})"}, "HTTP 400"},
    };
    for (const auto& [response, logged] : cases) {
        server.requests.clear();
        log.clear();
        server.serveChat([response](const Request&) { return response; });
        auto result = summarize(path);
        ASSERT_TRUE(result.value) << qPrintable(logged);
        EXPECT_FALSE(*result.value) << qPrintable(logged);
        EXPECT_EQ(server.chatRequests().size(), 1) << qPrintable(logged);
        EXPECT_TRUE(log.contains("velmora.summary", logged)) << qPrintable(logged);
    }
    EXPECT_FALSE(QFile::exists(SummaryFile::pathFor(path)));

    // An OpenAI-style context error also halves.
    server.requests.clear();
    server.serveChat([](const Request&) {
        return Response{400, R"({"error":{"message":"This model's maximum context length is 4096 tokens.",)"
                             R"("type":"invalid_request_error","code":"context_length_exceeded"}})"};
    });
    summarize(transcript(numberedLines(20, 100), "long.md"));
    EXPECT_EQ(server.chatRequests().size(), 1 + 2 + 4 + 8 + 16);
}

TEST_F(ModelSummaryServiceTest, SlowAnswerTimesOutInVirtualTime) {
    auto slowModel = std::make_shared<OpenAICompatibleModel>(server.baseUrl(), "m", scheduler, 120s);
    ModelSummaryService slow(slowModel);
    server.serveChat([](const Request&) { return Response{200, {}, true}; });
    auto running = slow.generateSummary(transcript("**[09:00:00] Ann:**\n\nHello there.\n"), std::nullopt);
    ASSERT_TRUE(QTest::qWaitFor([&] { return server.chatRequests().size() == 1; }));
    scheduler.advance(119s);
    QCoreApplication::processEvents();
    scheduler.advance(1s);
    auto result = awaitTask(std::move(running));
    ASSERT_TRUE(result.value);
    EXPECT_FALSE(*result.value);
    EXPECT_TRUE(log.contains("velmora.summary", "did not answer in time"));
}

TEST_F(ModelSummaryServiceTest, NothingRunningAndEmptyTranscripts) {
    quint16 closedPort;
    {
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost, 0);
        closedPort = probe.serverPort();
    }
    const QUrl nowhere(QStringLiteral("http://127.0.0.1:%1/v1").arg(closedPort));
    auto absent = std::make_shared<OpenAICompatibleModel>(nowhere, "m", scheduler);
    EXPECT_EQ(*awaitTask(absent->availability()).value, ModelAvailability::notRunning);
    ModelSummaryService refused(absent);
    auto result = awaitTask(refused.generateSummary(transcript("**[09:00:00] Ann:**\n\nHi there.\n"), std::nullopt));
    ASSERT_TRUE(result.value);
    EXPECT_FALSE(*result.value);
    EXPECT_TRUE(log.contains("velmora.summary", "no model server is running"));

    auto empty = summarize(transcript(QString(), "empty.md"));
    ASSERT_TRUE(empty.value);
    EXPECT_FALSE(*empty.value);
    EXPECT_TRUE(server.requests.isEmpty());
    EXPECT_TRUE(log.contains("velmora.summary", "Empty transcript, skipping summary generation"));

    auto missing = summarize(dir.filePath("missing.md"));
    ASSERT_TRUE(missing.error);
    EXPECT_TRUE(missing.error->contains("missing.md"));
}

TEST_F(ModelSummaryServiceTest, AvailabilityOfARunningLoadingOrForeignServer) {
    EXPECT_EQ(*awaitTask(model->availability()).value, ModelAvailability::available);
    server.handler = [](const Request& request) {
        return request.path == "/health" ? LocalModelServer::loading() : LocalModelServer::loading();
    };
    EXPECT_EQ(*awaitTask(model->availability()).value, ModelAvailability::loading);
    server.handler = [](const Request& request) {
        return request.path == "/health" ? LocalModelServer::loading() : Response{404, "{}"};
    };
    EXPECT_EQ(*awaitTask(model->availability()).value, ModelAvailability::loading);
    server.handler = [](const Request&) { return Response{404, "not here"}; };
    EXPECT_EQ(*awaitTask(model->availability()).value, ModelAvailability::unknown);
    EXPECT_EQ(server.requests.last().path, "/health");
}
