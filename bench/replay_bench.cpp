// Replays a synthetic meeting through the real session coordinator and transcript writer and
// prints wall time and peak memory for meetings of 1, 2 and 3 hours (each in a process of its
// own, so the peaks do not mix), then the cost of growing one utterance line by line.
//
//   bench_replay_bench            the table
//   bench_replay_bench --child H  one meeting of H hours (used by the table)

#include "capture/AccumulatedText.h"
#include "capture/SnapshotReplay.h"
#include "capture/TranscriptAssembler.h"

#include <QCoreApplication>
#include <QCoroTask>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLoggingCategory>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimeZone>

#include <cstdio>
#include <ctime>
#include <sys/resource.h>

using namespace velmora;

namespace {

const QStringList vocabulary{
    "we",      "should", "ship",    "the",     "release", "on",     "Friday",  "because",
    "numbers", "look",   "good",    "but",     "support", "tickets", "are",    "still",
    "high",    "so",     "let's",   "review",  "them",    "first",  "and",     "then",
    "decide",  "about",  "rollout", "plan",    "for",     "Europe", "next",    "quarter",
    "budget",  "team",   "design",  "meeting", "customer", "feedback", "I",    "think",
    "maybe",   "yes",    "okay",    "right",   "exactly", "questions", "café", "naïve"};

// CPU time of the whole process (all threads), in milliseconds: the machine is shared, so wall
// time alone also measures the neighbours.
qint64 processCpuMilliseconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000 +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1000;
}

qint64 threadCpuNanoseconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return qint64(now.tv_sec) * 1000000000 + now.tv_nsec;
}

qint64 statusKilobytes(const char* field) {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(field))
            return line.mid(qstrlen(field)).trimmed().split(' ').front().toLongLong();
    }
    return -1;
}

// A meeting as a caption area shows it: each speaker turn is split into lines of up to 12
// words; the newest line grows by a few words per poll and is sometimes re-punctuated; the
// area shows the last 2 to 4 lines; turns last from seconds to 25-minute monologues; silences
// of a few seconds to half a minute. Returns the number of words spoken.
qint64 writeMeeting(const QString& path, int polls) {
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    QRandomGenerator random(2026);
    const QStringList speakers{"Alice", "Bob", "Carol", "Dan"};
    struct Line {
        QString speaker;
        QStringList words;
    };
    QList<Line> lines;
    QString speaker = speakers[0];
    int turnLeft = 60, silence = 0, visible = 3;
    qint64 spoken = 0;
    QDateTime time(QDate(2026, 3, 14), QTime(9, 0), QTimeZone::utc());
    for (int poll = 0; poll < polls; ++poll, time = time.addSecs(1)) {
        QJsonArray shown;
        if (silence > 0) {
            --silence;
        } else {
            if (turnLeft-- <= 0) {
                speaker = speakers[(speakers.indexOf(speaker) + 1 + random.bounded(3)) % 4];
                const int kind = random.bounded(100);
                turnLeft = kind < 4 ? random.bounded(600, 1500) : random.bounded(5, 60);
                if (random.bounded(10) == 0)
                    silence = random.bounded(5, 30);
                lines.append({speaker, {}});
            }
            if (lines.isEmpty() || lines.back().words.size() >= 12)
                lines.append({speaker, {}});
            const int added = random.bounded(1, 4);
            for (int i = 0; i < added; ++i)
                lines.back().words << vocabulary[random.bounded(vocabulary.size())];
            spoken += added;
            if (random.bounded(8) == 0 && lines.back().words.size() > 2) // re-punctuated
                lines.back().words.last() += QLatin1Char(random.bounded(2) ? '.' : ',');
            if (random.bounded(20) == 0)
                visible = random.bounded(2, 5);
            while (lines.size() > visible)
                lines.removeFirst();
            for (const Line& line : lines) {
                if (!line.words.isEmpty())
                    shown.append(QJsonObject{{"speaker", line.speaker}, {"text", line.words.join(' ')}});
            }
        }
        const QJsonObject snapshot{{"time", time.toString(Qt::ISODateWithMs)}, {"lines", shown}};
        file.write(QJsonDocument(snapshot).toJson(QJsonDocument::Compact) + '\n');
    }
    return spoken;
}

QCoro::Task<SnapshotReplay::Result> replay(SnapshotReplay& replay) {
    auto run = replay.run();
    co_return co_await run;
}

int child(int hours) {
    QLoggingCategory::setFilterRules(QStringLiteral("velmora.*.info=false"));
    QTemporaryDir dir;
    const QString input = dir.filePath("meeting.jsonl");
    const qint64 spoken = writeMeeting(input, hours * 3600);
    QFile clearRefs(QStringLiteral("/proc/self/clear_refs"));
    if (clearRefs.open(QIODevice::WriteOnly)) // peak RSS counts from here on
        clearRefs.write("5");
    clearRefs.close();
    const qint64 baseline = statusKilobytes("VmRSS:");

    QElapsedTimer timer;
    timer.start();
    const qint64 cpuBefore = processCpuMilliseconds();
    SnapshotReplay::Options options{input, dir.path(), TranscriptFormat::markdown, QString("Bench")};
    SnapshotReplay run(options);
    run.validate();
    const qint64 validated = timer.elapsed();
    const SnapshotReplay::Result result = QCoro::waitFor(replay(run));
    const qint64 total = timer.elapsed();
    const qint64 cpu = processCpuMilliseconds() - cpuBefore;

    QFile transcript(result.transcriptPath);
    transcript.open(QIODevice::ReadOnly);
    const QString text = QString::fromUtf8(transcript.readAll());
    qint64 written = 0;
    for (const QString& line : text.split('\n')) {
        if (!line.isEmpty() && !line.startsWith("**") && !line.startsWith('#') && line != "---")
            written += line.split(' ', Qt::SkipEmptyParts).size();
    }
    std::printf("%d %lld %lld %lld %lld %lld %lld %lld %lld %lld\n", hours, result.snapshotsRead,
                validated, total, cpu, baseline, statusKilobytes("VmHWM:"),
                QFileInfo(input).size() / 1024, QFileInfo(result.transcriptPath).size() / 1024,
                spoken ? 100 * written / spoken : 0);
    return 0;
}

// One utterance grown by `lines` continuation lines, each starting with the last 20
// characters of the text so far (the overlap) and adding six words.
void nanosecondsPerLine(int lines, bool incremental) {
    QRandomGenerator random(5);
    AccumulatedText text(QStringLiteral("so we start with the numbers"));
    QString plain = text.text();
    qint64 merged = 0;
    const qint64 started = threadCpuNanoseconds();
    for (int i = 0; i < lines; ++i) {
        QString line = (incremental ? text.text() : plain).right(20);
        for (int w = 0; w < 6; ++w)
            line += QLatin1Char(' ') + vocabulary[random.bounded(vocabulary.size())];
        if (incremental) {
            merged += text.merge(line);
        } else if (auto grown = TranscriptAssembler::mergeOverlapping(plain, line)) {
            plain = *grown;
            ++merged;
        }
    }
    const double perLine = double(threadCpuNanoseconds() - started) / lines;
    const qsizetype length = incremental ? text.text().size() : plain.size();
    std::printf("  %-24s %7d lines (%lld merged)  %9lld chars  %8.0f ns CPU/line\n",
                incremental ? "AccumulatedText::merge" : "mergeOverlapping (pure)", lines, merged,
                qint64(length), perLine);
}

} // namespace

int main(int argc, char* argv[]) {
    qputenv("QT_NO_GLIB", "1");
    QCoreApplication app(argc, argv);
    if (app.arguments().value(1) == QLatin1String("--child"))
        return child(app.arguments().value(2).toInt());

    std::printf("Synthetic meeting replayed through SessionCoordinator + TranscriptWriter "
                "(1 poll/s, 2-4 lines visible):\n");
    std::printf("  hours  polls  validate ms  total ms  CPU ms  RSS before kB  peak RSS kB  "
                "input kB  transcript kB  words kept %%\n");
    for (int hours : {1, 2, 3}) {
        QProcess process;
        process.start(app.applicationFilePath(), {"--child", QString::number(hours)});
        process.waitForFinished(-1);
        const QStringList f = QString::fromUtf8(process.readAllStandardOutput()).split(' ');
        if (f.size() < 10) {
            std::printf("  child failed: %s\n", process.readAllStandardError().constData());
            return 1;
        }
        std::printf("  %5s %6s %12s %9s %7s %14s %12s %9s %14s %12s", qPrintable(f[0]),
                    qPrintable(f[1]), qPrintable(f[2]), qPrintable(f[3]), qPrintable(f[4]),
                    qPrintable(f[5]), qPrintable(f[6]), qPrintable(f[7]), qPrintable(f[8]),
                    qPrintable(f[9]));
    }
    std::printf("\nGrowing one utterance by continuation lines:\n");
    for (int lines : {1000, 10000, 100000})
        nanosecondsPerLine(lines, true);
    for (int lines : {1000, 4000, 16000})
        nanosecondsPerLine(lines, false);
    return 0;
}
