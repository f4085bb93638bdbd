// Summaries of a 3-hour meeting (~200,000 characters of Markdown transcript, six speakers,
// repeated caption fragments): transcript preparation (clean + attendees + chunking, target
// ≤ 50 ms), the extractive engine (target ≤ 300 ms, peak memory), and what the model path
// would send (requests and bytes, with a model that accepts every request).
#include "ThreadCpuTime.h"
#include "summary/ExtractiveSummarizer.h"
#include "summary/ModelSummaryService.h"
#include "summary/OpenAICompatibleModel.h"
#include "summary/SummarySchema.h"
#include "summary/TranscriptPreparation.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QRandomGenerator>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <sys/resource.h>

using namespace velmora;

namespace {

long peakRssKb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

const QStringList speakers{"Alice Johnson", "Bob Smith", "Carol Nguyen", "Dmitri Volkov",
                           "Elena García", "Farid Haddad"};
// Sentence patterns with slots, so that a long meeting rarely says the same sentence twice.
const QStringList patterns{
    "The {c} is on track for the {w} release, but the {c} still needs {n} more reviews.",
    "We still see {n} timeouts a day in the {c} when the cache is cold.",
    "I'll update the {c} dashboard by {d}.",
    "Can you check the retry logic in the {c}, {p}?",
    "Let's go with {t} for the {c}.",
    "Honestly I think, you know, it's kind of fine for now.",
    "The {c} needs another round of testing before {d}.",
    "We decided to keep the feature flags for the {c} until the {w} review.",
    "Yeah.",
    "Sounds good.",
    "The {c} drops about {n} percent of requests on the second step.",
    "I will write the incident report for the {c} outage on {d}.",
    "Should we move the {c} review to {d}?",
    "Agreed.",
    "So the {c} and the {c} both depend on {t}, which is a risk for {w}.",
    "Please send the {c} numbers to {p} before {d}.",
    "Our error budget for the {c} is almost used up, {n} percent left.",
    "I looked at the {c} logs yesterday and found {n} warnings about {t}.",
    "Maybe we should ask the {w} team how they handle the {c}.",
    "Right, and the {c} migration to {t} is blocked on the {c}.",
};
const QStringList components{"payment API", "checkout service", "search index", "billing pipeline",
                             "mobile app", "notification worker", "reporting database",
                             "onboarding flow", "auth gateway", "data warehouse", "admin console",
                             "release train", "feature store", "support inbox", "pricing page"};
const QStringList tools{"Postgres", "Kafka", "Redis", "Kubernetes", "Terraform", "Grafana", "Sentry"};
const QStringList weeks{"spring", "summer", "Q3", "platform", "growth", "infra"};
const QStringList days{"Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "next week"};

QString sentence(QRandomGenerator& random) {
    QString text = patterns[random.bounded(int(patterns.size()))];
    const auto fill = [&](const QString& slot, const QStringList& values) {
        qsizetype at;
        while ((at = text.indexOf(slot)) >= 0)
            text.replace(at, slot.size(), values[random.bounded(int(values.size()))]);
    };
    fill("{c}", components);
    fill("{t}", tools);
    fill("{w}", weeks);
    fill("{d}", days);
    fill("{p}", QStringList{"Bob", "Carol", "Dmitri", "Elena"});
    fill("{n}", QStringList{"two", "five", "twelve", "forty"});
    return text;
}

QString threeHourTranscript() {
    QRandomGenerator random(42);
    QString text = QStringLiteral("# Meeting Transcript\n\n**Date:** 2026-03-14\n**Start:** 09:00:00\n"
                                  "**End:** 12:00:00\n**Duration:** 03:00:00\n\n---\n");
    int second = 0;
    while (text.size() < 200000) {
        const QString speaker = speakers[random.bounded(int(speakers.size()))];
        QStringList said;
        const int count = 1 + random.bounded(4);
        for (int i = 0; i < count; ++i)
            said.append(sentence(random));
        const QString paragraph = said.join(u' ');
        const auto block = [&](const QString& body) {
            text += QStringLiteral("\n**[%1:%2:%3] %4:**\n\n%5\n")
                        .arg(second / 3600, 2, 10, QLatin1Char('0'))
                        .arg(second / 60 % 60, 2, 10, QLatin1Char('0'))
                        .arg(second % 60, 2, 10, QLatin1Char('0'))
                        .arg(speaker, body);
            second += 3 + random.bounded(6);
        };
        // Captions often arrive first as a fragment, then complete.
        if (random.bounded(5) == 0)
            block(paragraph.left(paragraph.size() / 2));
        block(paragraph);
    }
    return text;
}

// Accepts every request at once and counts what an HTTP client would send.
class CountingModel final : public LanguageModel {
public:
    int requests = 0;
    qint64 bytes = 0;
    QCoro::Task<PartialSummary> respond(QString prompt, QByteArray schema, CancelToken) override {
        ++requests;
        bytes += OpenAICompatibleModel::requestBody(QStringLiteral("model.gguf"), prompt, schema).size();
        co_return PartialSummary{{"Payment API migration", "Checkout timeouts"},
                                 {"Alice Johnson will update the dashboard"},
                                 {"Use Postgres for reporting"}};
    }
    QCoro::Task<ModelAvailability> availability() override { co_return ModelAvailability::available; }
    QString description() const override { return QStringLiteral("counting model"); }
};

template <typename Work>
std::pair<double, double> median(int runs, Work work) {
    std::vector<double> cpu, wall;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        const double start = threadCpuMs();
        work();
        cpu.push_back(threadCpuMs() - start);
        wall.push_back(timer.nsecsElapsed() / 1e6);
    }
    std::sort(cpu.begin(), cpu.end());
    std::sort(wall.begin(), wall.end());
    return {cpu[cpu.size() / 2], wall[wall.size() / 2]};
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int runs = 7;
    const QString transcript = threeHourTranscript();
    const long rssBefore = peakRssKb();

    QString cleaned;
    QStringList attendees;
    QStringList chunks;
    const auto [prepCpu, prepWall] = median(runs, [&] {
        attendees = TranscriptPreparation::extractSpeakers(transcript);
        cleaned = TranscriptPreparation::deduplicateTranscript(transcript);
        chunks = TranscriptPreparation::splitIntoChunks(cleaned, ModelSummaryService::maxChunkChars);
    });
    std::printf("transcript: %lld characters, %lld after cleaning, %lld attendees, %lld chunks\n",
                (long long)transcript.size(), (long long)cleaned.size(), (long long)attendees.size(),
                (long long)chunks.size());
    std::printf("prepare (clean + attendees + chunks): median %.1f ms CPU, %.1f ms wall (target 50 ms)\n",
                prepCpu, prepWall);

    PartialSummary summary;
    const auto [extractCpu, extractWall] = median(runs, [&] {
        summary = ExtractiveSummarizer::summarize(cleaned, attendees, QString());
    });
    std::printf("extractive summary: median %.1f ms CPU, %.1f ms wall (target 300 ms)\n", extractCpu,
                extractWall);
    std::printf("  %lld topics, %lld action items, %lld decisions; topics: %s\n",
                (long long)summary.topics.size(), (long long)summary.actionItems.size(),
                (long long)summary.decisions.size(), qPrintable(summary.topics.join(QStringLiteral(" | "))));
    std::printf("peak RSS: %ld KB before the runs, %ld KB after (+%ld KB)\n", rssBefore, peakRssKb(),
                peakRssKb() - rssBefore);

    auto model = std::make_shared<CountingModel>();
    ModelSummaryService service(model);
    QCoro::waitFor(service.summarize(cleaned, QString(), SummaryRun{}));
    std::printf("model path: %d requests (%lld chunks + 1 merge), %lld bytes of request bodies "
                "(%.0f KB)\n",
                model->requests, (long long)chunks.size(), (long long)model->bytes, model->bytes / 1024.0);
    return 0;
}
