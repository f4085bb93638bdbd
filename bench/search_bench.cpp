// The search index over a large library: 1,000 generated one-hour meetings (about 60 MB of
// transcript text, a few in Chinese, each with notes and a summary). Prints the full build
// time, the index size, query latency over 100 mixed queries and the time to take in one
// more finalised meeting. Goals: build <= 60 s, query p95 <= 20 ms, one meeting <= 200 ms.
// Usage: bench_search_bench [meetings] (default 1000).
#include "ThreadCpuTime.h"
#include "library/search/SearchDatabase.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTimeZone>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <random>
#include <vector>

using namespace velmora;

namespace {

// Pseudo-words drawn with Zipf frequencies, like the words of real speech.
class Vocabulary {
public:
    explicit Vocabulary(std::mt19937& random, int size = 20000) {
        static const char* syllables[] = {"ka", "lo", "mi", "ne", "ru", "ta", "sho", "ven", "dra", "pel",
                                          "qui", "bor", "zen", "fa", "gu", "hil", "jor", "wex", "ply", "strom"};
        std::uniform_int_distribution<int> syllable(0, 19), length(1, 4);
        for (int i = 0; i < size; ++i) {
            QString word;
            for (int n = length(random); n > 0; --n)
                word += QLatin1String(syllables[syllable(random)]);
            words_.append(word + QString::number(i % 7 == 0 ? i : 0).replace(QLatin1String("0"), QString()));
        }
        double total = 0;
        for (int i = 0; i < size; ++i) {
            total += 1.0 / (i + 1);
            cumulative_.push_back(total);
        }
    }
    const QString& pick(std::mt19937& random) const {
        std::uniform_real_distribution<double> u(0, cumulative_.back());
        const auto at = std::lower_bound(cumulative_.begin(), cumulative_.end(), u(random));
        return words_[static_cast<int>(at - cumulative_.begin())];
    }
    const QString& byRank(int rank) const { return words_[rank]; }

private:
    QStringList words_;
    std::vector<double> cumulative_;
};

QString sentence(const Vocabulary& words, std::mt19937& random) {
    std::uniform_int_distribution<int> length(3, 11);
    QString text;
    for (int n = length(random); n > 0; --n) {
        if (!text.isEmpty())
            text += QLatin1Char(' ');
        text += words.pick(random);
    }
    text[0] = text[0].toUpper();
    return text + QLatin1Char('.');
}

QString chineseSentence(std::mt19937& random) {
    static const QString characters = QStringLiteral("我们明天开会讨论预算项目进度客户需求时间安排问题解决方案团队成员下周报告");
    std::uniform_int_distribution<int> length(8, 30), pick(0, static_cast<int>(characters.size()) - 1);
    QString text;
    for (int n = length(random); n > 0; --n)
        text += characters[pick(random)];
    return text + QStringLiteral("。");
}

struct Library {
    QList<MeetingRecord> records;
    qint64 transcriptBytes = 0;
};

// One hour: some 600 utterances of 1-2 sentences, about 60 kB.
MeetingRecord writeMeeting(const QString& dir, int number, const Vocabulary& words, std::mt19937& random,
                           qint64& bytes) {
    static const QStringList speakers = {"Alice Martin", "Bob Stone", "Jürgen Müller", "Ann Lee", "Dan Ortiz",
                                         "Chloé Dubois", "Wei Zhang", "Priya Nair"};
    const bool chinese = number % 20 == 7;
    const QDateTime start = QDateTime(QDate(2024, 1, 1), QTime(9, 0), QTimeZone::utc()).addDays(number);
    const QString base = start.toString(QStringLiteral("yyyy-MM-dd_HH-mm-ss")) + QStringLiteral("_Meet");
    QString text = QStringLiteral("# Meeting Transcript\n\n**Date:** %1\n**Start:** 09:00:00\n**End:** 10:00:00\n"
                                  "**Duration:** 01:00:00\n\n---\n\n")
                       .arg(start.toString(QStringLiteral("yyyy-MM-dd")));
    std::uniform_int_distribution<int> who(0, 3), sentences(1, 2), gap(3, 9);
    QString last;
    QTime time(9, 0);
    int seconds = 0;
    while (seconds < 3600) {
        const QString speaker = speakers[(number + who(random)) % speakers.size()];
        if (speaker != last)
            text += QStringLiteral("**[%1] %2:**\n\n").arg(time.addSecs(seconds).toString(QStringLiteral("HH:mm:ss")), speaker);
        last = speaker;
        for (int n = sentences(random); n > 0; --n)
            text += (chinese ? chineseSentence(random) : sentence(words, random)) + QLatin1Char(' ');
        text += QStringLiteral("\n\n");
        seconds += gap(random);
    }
    const QByteArray utf8 = text.toUtf8();
    bytes += utf8.size();
    const auto write = [&](const QString& name, const QByteArray& content) {
        QFile file(QDir(dir).filePath(name));
        if (!file.open(QIODevice::WriteOnly))
            std::abort();
        file.write(content);
    };
    write(base + QStringLiteral(".md"), utf8);
    write(base + QStringLiteral("-notes.md"),
          (sentence(words, random) + QStringLiteral("\n\n") + sentence(words, random)).toUtf8());
    write(base + QStringLiteral("-summary.md"),
          QStringLiteral("# Meeting Summary\n\n## Topics\n- %1\n\n## Action Items\n- %2\n\n## Decisions\n- %3\n\n"
                         "## Attendees\n- %4\n")
              .arg(sentence(words, random), sentence(words, random), sentence(words, random), speakers[number % 8])
              .toUtf8());
    MeetingRecord record;
    record.id = QUuid::createUuidV5(QUuid(), QString::number(number));
    record.date = start;
    record.duration = 3600;
    record.source = CaptionSource::browserMeet;
    record.transcriptPath = QDir(dir).filePath(base + QStringLiteral(".md"));
    record.summaryPath = QDir(dir).filePath(base + QStringLiteral("-summary.md"));
    record.notesPath = QDir(dir).filePath(base + QStringLiteral("-notes.md"));
    return record;
}

QStringList mixedQueries(const Vocabulary& words, std::mt19937& random) {
    QStringList queries;
    std::uniform_int_distribution<int> rare(2000, 15000), medium(200, 2000), common(10, 200);
    for (int i = 0; i < 30; ++i)
        queries.append(words.byRank(rare(random)));
    for (int i = 0; i < 15; ++i)
        queries.append(words.byRank(medium(random)));
    for (int i = 0; i < 5; ++i)
        queries.append(words.byRank(common(random)));
    for (int i = 0; i < 10; ++i)
        queries.append(words.byRank(medium(random)) + QLatin1Char(' ') + words.byRank(medium(random)));
    for (int i = 0; i < 10; ++i)
        queries.append(QLatin1Char('"') + words.byRank(common(random)) + QLatin1Char(' ') + words.byRank(common(random)) +
                       QLatin1Char('"'));
    for (int i = 0; i < 10; ++i)
        queries.append(words.byRank(medium(random)).left(4) + QLatin1Char('*'));
    for (int i = 0; i < 10; ++i)
        queries.append(QStringLiteral("speaker:müller ") + words.byRank(medium(random)));
    for (int i = 0; i < 5; ++i)
        queries.append(QStringLiteral("after:2024-06-01 before:2024-09-01 ") + words.byRank(medium(random)));
    for (const char* chinese : {"预算", "明天开会", "客户需求", "团队", "下周报告"})
        queries.append(QString::fromUtf8(chinese));
    return queries;
}

qint64 indexSize(const QString& path) {
    qint64 size = 0;
    for (const QString& suffix : {QString(), QStringLiteral("-wal"), QStringLiteral("-shm")})
        size += QFileInfo(path + suffix).size();
    return size;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int meetingCount = argc > 1 ? std::max(1, std::atoi(argv[1])) : 1000;
    std::mt19937 random(17);
    const Vocabulary words(random);

    QTemporaryDir temp;
    const QString dir = temp.filePath(QStringLiteral("meetings"));
    QDir().mkpath(dir);
    Library library;
    for (int i = 0; i < meetingCount; ++i)
        library.records.prepend(writeMeeting(dir, i, words, random, library.transcriptBytes));
    std::printf("library: %d meetings, %.1f MB of transcripts, %d files\n", meetingCount,
                library.transcriptBytes / 1e6, meetingCount * 3);

    const QString indexPath = temp.filePath(QStringLiteral("cache/index.sqlite"));
    SearchDatabase db(indexPath, dir);
    QElapsedTimer wall;
    wall.start();
    double cpu = threadCpuMs();
    const SearchDatabase::SyncReport built = db.sync(library.records);
    std::printf("full build: %.1f s wall, %.1f s CPU, %d files, %d entries%s\n", wall.elapsed() / 1e3,
                (threadCpuMs() - cpu) / 1e3, built.filesIndexed, built.entriesIndexed, built.failed ? " (FAILED)" : "");
    std::printf("index size: %.1f MB (transcripts %.1f MB)\n", indexSize(indexPath) / 1e6,
                library.transcriptBytes / 1e6);

    wall.restart();
    const SearchDatabase::SyncReport idle = db.sync(library.records);
    std::printf("sync with nothing changed: %.0f ms (%d files checked)\n", static_cast<double>(wall.elapsed()),
                meetingCount * 3);
    Q_UNUSED(idle);

    const QStringList queries = mixedQueries(words, random);
    std::vector<double> latencies, cpuTimes;
    std::vector<int> counts;
    for (int round = 0; round < 2; ++round) { // the first round warms the page cache
        latencies.clear();
        cpuTimes.clear();
        for (const QString& text : queries) {
            QElapsedTimer timer;
            timer.start();
            const double cpuStart = threadCpuMs();
            const SearchOutcome outcome = db.search(SearchQuery::parse(text), 50);
            latencies.push_back(timer.nsecsElapsed() / 1e6);
            cpuTimes.push_back(threadCpuMs() - cpuStart);
            if (round == 1)
                counts.push_back(static_cast<int>(outcome.results.size()));
        }
    }
    std::vector<double> sorted = latencies;
    std::sort(sorted.begin(), sorted.end());
    const auto percentile = [&](double p) { return sorted[static_cast<size_t>(std::ceil(p * sorted.size())) - 1]; };
    std::printf("queries: %zu, limit 50: p50 %.1f ms, p95 %.1f ms, max %.1f ms; %d with results\n", sorted.size(),
                percentile(0.5), percentile(0.95), sorted.back(),
                static_cast<int>(std::count_if(counts.begin(), counts.end(), [](int n) { return n > 0; })));
    std::vector<double> cpuSorted = cpuTimes;
    std::sort(cpuSorted.begin(), cpuSorted.end());
    std::printf("queries, thread CPU: p50 %.1f ms, p95 %.1f ms, max %.1f ms\n",
                cpuSorted[cpuSorted.size() / 2 - 1], cpuSorted[static_cast<size_t>(std::ceil(0.95 * cpuSorted.size())) - 1],
                cpuSorted.back());
    for (size_t i = 0; i < latencies.size(); ++i) {
        if (latencies[i] >= percentile(0.95))
            std::printf("  slow: %-40s %.1f ms (CPU %.1f ms)\n", qUtf8Printable(queries[static_cast<int>(i)]),
                        latencies[i], cpuTimes[i]);
    }

    // One more meeting finalised, as the application announces it.
    qint64 bytes = 0;
    library.records.prepend(writeMeeting(dir, meetingCount, words, random, bytes));
    wall.restart();
    cpu = threadCpuMs();
    const SearchDatabase::SyncReport added = db.sync(library.records);
    std::printf("one more finalised meeting: %.0f ms wall, %.0f ms CPU (%d files, %d entries)\n",
                static_cast<double>(wall.elapsed()), threadCpuMs() - cpu, added.filesIndexed, added.entriesIndexed);

    // A live transcript that grew by one flush.
    QFile live(*library.records.front().transcriptPath);
    live.open(QIODevice::Append);
    live.write("**[10:00:01] Alice Martin:**\n\nOne more flushed utterance.\n\n");
    live.close();
    wall.restart();
    const SearchDatabase::SyncReport grown = db.sync(library.records);
    std::printf("live transcript grew (whole file read again): %.0f ms (%d entries)\n",
                static_cast<double>(wall.elapsed()), grown.entriesIndexed);
    return 0;
}
