// Captions lost when a capture is killed with SIGKILL at a random moment. A child process runs
// the real session coordinator and transcript writer on a synthetic meeting whose reader polls
// every few milliseconds in real time (speakers take turns, each turn's caption grows over
// 1–15 polls, the captions vanish now and then for up to 40 polls); the parent kills it at a
// random moment, then compares the transcript on disk with the utterances that had completed
// (the next turn had appeared) by the last poll the child announced. The figure is the age, in
// polls, of the oldest completed utterance missing from the file: at most 10 is the target.
// It also checks that the file holds exactly a prefix of the meeting (nothing torn or doubled)
// and that start-up recovery finishes it.
// Usage: bench_kill_bench [kills=20] [poll milliseconds=10]
#include "app/TranscriptRecovery.h"
#include "capture/MarkdownFormatter.h"
#include "capture/SessionCoordinator.h"
#include "capture/SystemClock.h"
#include "capture/TranscriptWriter.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <cstdio>

using namespace velmora;

namespace {

constexpr int pollsPerMeeting = 600;

struct Utterance {
    QString speaker;
    QStringList words;
    int firstPoll = 0;  // the poll it appears at
    int lastPoll = 0;   // the last poll it grows at
};

// The same meeting for the same seed, in the child and in the parent.
struct Meeting {
    QList<Utterance> utterances;
    QList<int> gapStarts; // polls at which the captions vanish
    QList<int> gapEnds;

    explicit Meeting(quint32 seed) {
        QRandomGenerator random(seed);
        const QStringList speakers{"Ana Lima", "Bo Chen", "Cy Park", "Dee Ray"};
        int poll = 1;
        int previousSpeaker = -1;
        while (poll < pollsPerMeeting) {
            if (random.bounded(6) == 0) {
                const int gap = 5 + random.bounded(36);
                gapStarts.append(poll);
                gapEnds.append(poll + gap);
                poll += gap;
            }
            int speaker = random.bounded(speakers.size() - 1);
            if (speaker >= previousSpeaker)
                ++speaker;
            previousSpeaker = speaker;
            Utterance utterance{speakers[speaker], {}, poll, 0};
            const int length = 1 + random.bounded(15);
            for (int word = 0; word < length; ++word)
                utterance.words.append(QStringLiteral("u%1w%2").arg(utterances.size()).arg(word));
            utterance.lastPoll = poll + length - 1;
            utterances.append(utterance);
            poll += length;
        }
    }
    bool isHidden(int poll) const {
        for (qsizetype i = 0; i < gapStarts.size(); ++i)
            if (poll >= gapStarts[i] && poll < gapEnds[i])
                return true;
        return false;
    }
    // What the caption area shows at `poll`: the last three turns, the latest as far as said.
    CaptionSnapshot snapshot(int poll, const QDateTime& now) const {
        if (isHidden(poll))
            return {};
        CaptionSnapshot shown;
        for (const Utterance& utterance : utterances) {
            if (utterance.firstPoll > poll)
                break;
            const int words = std::min<int>(utterance.words.size(), poll - utterance.firstPoll + 1);
            shown.append({now, utterance.speaker, utterance.words.first(words).join(' ')});
        }
        while (shown.size() > 3)
            shown.removeFirst();
        return shown;
    }
    // Completed once the next turn appeared.
    int completedAt(qsizetype index) const {
        return index + 1 < utterances.size() ? utterances[index + 1].firstPoll : INT_MAX;
    }
};

class PacedReader final : public CaptionReader {
public:
    PacedReader(const Meeting& meeting, int pollMs) : meeting_(meeting) {
        timer_.setInterval(pollMs);
        QObject::connect(&timer_, &QTimer::timeout, [this] { poll(); });
    }
    std::shared_ptr<CaptionStream> captions() const override { return stream_; }
    QCoro::Task<> startReading() override {
        timer_.start();
        co_return;
    }
    void stopReading() override {
        timer_.stop();
        stream_->finish();
    }

private:
    void poll() {
        ++poll_;
        if (poll_ > pollsPerMeeting) {
            stopReading();
            return;
        }
        // Announced before it is read: the kill comes at this poll or later.
        std::printf("poll %d\n", poll_);
        std::fflush(stdout);
        stream_->send(meeting_.snapshot(poll_, QDateTime::currentDateTime()));
    }

    const Meeting& meeting_;
    QTimer timer_;
    int poll_ = 0;
    std::shared_ptr<CaptionStream> stream_ = std::make_shared<CaptionStream>();
};

int runChild(const QString& folder, quint32 seed, int pollMs) {
    const Meeting meeting(seed);
    SystemClock clock;
    auto writer = std::make_shared<TranscriptWriter>(folder, clock, QStringLiteral("Zoom"),
                                                     std::make_shared<MarkdownFormatter>());
    auto reader = std::make_shared<PacedReader>(meeting, pollMs);
    auto coordinator = std::make_shared<SessionCoordinator>(reader, writer, clock);
    [](std::shared_ptr<TranscriptWriter> writer, std::shared_ptr<SessionCoordinator> coordinator) -> QCoro::Task<> {
        // As a capture does: the file exists from the start.
        auto create = writer->createMissingFiles();
        co_await create;
        auto session = coordinator->start();
        co_await session;
        QCoreApplication::quit();
    }(writer, coordinator);
    return QCoreApplication::exec();
}

// "speaker: text" of each utterance in a Markdown transcript; none when the header is torn.
std::optional<QStringList> utterancesIn(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QString text = QString::fromUtf8(file.readAll());
    const qsizetype body = text.indexOf(QStringLiteral("\n---\n\n"));
    if (!text.startsWith(QStringLiteral("# Meeting Transcript\n")) || body < 0)
        return std::nullopt;
    static const QRegularExpression heading(QStringLiteral("^\\*\\*\\[\\d\\d:\\d\\d:\\d\\d\\] (.+):\\*\\*$"));
    QStringList result;
    QString speaker;
    for (const QString& paragraph : text.mid(body + 6).split(QStringLiteral("\n\n"), Qt::SkipEmptyParts)) {
        if (const auto match = heading.match(paragraph); match.hasMatch())
            speaker = match.captured(1);
        else
            result.append(speaker + QStringLiteral(": ") + paragraph);
    }
    return result;
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.value(1) == QStringLiteral("--child"))
        return runChild(args.value(2), args.value(3).toUInt(), args.value(4).toInt());

    const int kills = args.size() > 1 ? args[1].toInt() : 20;
    const int pollMs = args.size() > 2 ? args[2].toInt() : 10;
    QRandomGenerator random(20261207);
    int worst = 0;
    int intact = 0;
    int recovered = 0;
    double lostTotal = 0;
    for (int kill = 1; kill <= kills; ++kill) {
        QTemporaryDir folder;
        const quint32 seed = 1000 + kill;
        QProcess child;
        child.start(app.applicationFilePath(),
                    {QStringLiteral("--child"), folder.path(), QString::number(seed), QString::number(pollMs)});
        if (!child.waitForStarted()) {
            std::fprintf(stderr, "cannot start the child\n");
            return 1;
        }
        // Somewhere in the meeting, after its first turns.
        const int delayMs = 30 * pollMs + random.bounded((pollsPerMeeting - 40) * pollMs);
        QElapsedTimer waited;
        waited.start();
        while (waited.elapsed() < delayMs && child.state() == QProcess::Running)
            child.waitForFinished(int(delayMs - waited.elapsed()));
        child.kill(); // SIGKILL
        child.waitForFinished();
        int lastPoll = 0;
        for (const QByteArray& line : child.readAllStandardOutput().split('\n'))
            if (line.startsWith("poll "))
                lastPoll = line.mid(5).toInt();

        const Meeting meeting(seed);
        QStringList expected;
        for (const Utterance& utterance : meeting.utterances)
            expected.append(utterance.speaker + QStringLiteral(": ") + utterance.words.join(' '));
        const QStringList files = QDir(folder.path()).entryList({QStringLiteral("*.md")}, QDir::Files);
        const std::optional<QStringList> written =
            files.size() == 1 ? utterancesIn(folder.filePath(files[0])) : std::optional<QStringList>(QStringList());
        const bool isPrefix = written && expected.mid(0, written->size()) == *written;
        intact += isPrefix ? 1 : 0;
        const qsizetype missing = written ? written->size() : 0;
        int lost = 0;
        if (missing < expected.size() && meeting.completedAt(missing) <= lastPoll)
            lost = lastPoll - meeting.completedAt(missing);
        worst = std::max(worst, lost);
        lostTotal += lost;
        const auto finished = TranscriptRecovery::recoverFolder(folder.path());
        recovered += files.isEmpty() || finished.size() == 1 ? 1 : 0;
        std::printf("kill %2d at poll %3d: %3lld utterances on disk, oldest completed one missing: %2d polls old%s\n",
                    kill, lastPoll, qint64(missing), lost, isPrefix ? "" : "  (NOT A PREFIX)");
    }
    std::printf("worst case over %d kills: %d polls lost (target <= %lld); mean %.1f; intact %d/%d; "
                "recovered %d/%d\n",
                kills, worst, SessionCoordinator::flushInterval, lostTotal / kills, intact, kills, recovered, kills);
    return worst <= SessionCoordinator::flushInterval && intact == kills && recovered == kills ? 0 : 1;
}
