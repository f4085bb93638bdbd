// Capture fidelity: synthetic meetings in four caption styles, each also with a recogniser that
// keeps revising earlier words (the "-rev" styles), replayed through the session coordinator and
// scored against what was said. Also replays them through the first
// (position-by-position) rules, kept in fidelity/PositionalRules.h ("positional"), for comparison.
//
//   bench_fidelity [--meetings N] [--style meet|teams|zoomweb|rolling|meet-rev|teams-rev|...]
//   bench_fidelity --show STYLE SEED        truth and transcript of one meeting
//   bench_fidelity --dump STYLE SEED FILE   its snapshots as JSON Lines for `velmora replay`
//   bench_fidelity --trace STYLE SEED [FIRST LAST]  poll by poll: lines, changes, open utterance
//   --list (with the first form) also prints every meeting that lost or repeated a word;
//   --no-positional leaves the first rules out

#include "capture/SessionCoordinator.h"
#include "capture/SnapshotDiffer.h"
#include "capture/UtteranceAssembler.h"
#include "fidelity/CollectingWriter.h"
#include "fidelity/FidelityScorer.h"
#include "fidelity/MeetingGenerator.h"
#include "fidelity/MeetingReader.h"
#include "fidelity/PositionalRules.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLoggingCategory>
#include <QStringList>
#include <QTimeZone>

#include <cstdio>
#include <limits>
#include <optional>

using namespace velmora;
using namespace velmora::fidelity;

namespace {

class FixedClock final : public Clock {
public:
    QDateTime now() const override { return QDateTime(QDate(2026, 3, 14), QTime(9, 30), QTimeZone::utc()); }
};

QList<SpokenLine> transcribe(const SyntheticMeeting& meeting) {
    FixedClock clock;
    auto reader = std::make_shared<MeetingReader>(meeting);
    auto writer = std::make_shared<CollectingWriter>();
    auto coordinator = std::make_shared<SessionCoordinator>(reader, writer, clock);
    QCoro::waitFor(coordinator->start());
    return spokenLines(writer->entries);
}

std::optional<FidelityStyle> styleNamed(const QString& name) {
    for (FidelityStyle style : allFidelityStyles) {
        if (fidelityStyleName(style) == name)
            return style;
    }
    return std::nullopt;
}

struct Totals {
    double recall = 0;
    double precision = 0;
    double worstRecall = 1;
    double worstPrecision = 1;
    qint64 duplicates = 0;
    int meetings = 0;

    void add(const FidelityScore& score) {
        recall += score.recall;
        precision += score.precision;
        worstRecall = std::min(worstRecall, score.recall);
        worstPrecision = std::min(worstPrecision, score.precision);
        duplicates += score.duplicates;
        ++meetings;
    }
    void print(const char* style, const char* rules) const {
        std::printf("%-11s %-10s %8.4f %10.4f %12.3f %10.4f %10.4f\n", style, rules, recall / meetings,
                    precision / meetings, double(duplicates) / meetings, worstRecall, worstPrecision);
    }
};

void show(FidelityStyle style, std::uint64_t seed) {
    const SyntheticMeeting meeting = MeetingGenerator::generate(style, seed);
    const QList<SpokenLine> transcript = transcribe(meeting);
    const FidelityScore score = FidelityScorer::score(meeting.truth, transcript);
    std::printf("recall %.4f precision %.4f duplicates %d (%d polls, %d truth words)\n", score.recall,
                score.precision, score.duplicates, int(meeting.polls.size()), score.truthWords);
    std::printf("--- truth\n");
    for (const SpokenLine& line : meeting.truth)
        std::printf("%s: %s\n", qPrintable(line.speaker), qPrintable(line.text));
    std::printf("--- transcript\n");
    for (qsizetype i = 0; i < transcript.size(); ++i) {
        std::printf("%s%s: %s\n", score.duplicateEntries.contains(int(i)) ? "DUPLICATE " : "",
                    qPrintable(transcript[i].speaker), qPrintable(transcript[i].text));
    }
}

// What the two flush phases make of each poll, for finding where a transcript goes wrong.
void trace(FidelityStyle style, std::uint64_t seed, int first, int last) {
    const SyntheticMeeting meeting = MeetingGenerator::generate(style, seed);
    SnapshotDiffer differ;
    differ.setLinesCanScroll(MeetingReader(meeting).linesCanScroll());
    differ.setReusesLinePlaces(MeetingReader(meeting).reusesLinePlaces());
    UtteranceAssembler assembler;
    QList<CaptionEntry> completed;
    for (qsizetype poll = 0; poll < meeting.polls.size() && poll <= last; ++poll) {
        const CaptionSnapshot& lines = meeting.polls[poll].lines;
        if (lines.isEmpty()) {
            assembler.passEmptyPoll();
            continue;
        }
        QList<CaptionChange> changes;
        differ.diff(lines, changes);
        const qsizetype before = completed.size();
        assembler.assemble(changes, completed);
        if (poll < first)
            continue;
        std::printf("=== poll %lld\n", qint64(poll));
        for (const CaptionEntry& line : lines)
            std::printf("  line %s: %s\n", qPrintable(line.speaker), qPrintable(line.text));
        for (const CaptionChange& change : changes) {
            std::printf("  change%s%s%s%s %s: %s\n", change.previousText ? " paired" : " new",
                        change.sameLineAsPrevious ? " same" : "",
                        change.anchored ? " anchored" : "",
                        change.newest           ? ""
                        : change.laterLineShown ? " below"
                                                : " vanished-below",
                        qPrintable(change.entry.speaker), qPrintable(change.entry.text));
        }
        for (qsizetype k = before; k < completed.size(); ++k)
            std::printf("  closed %s: %s\n", qPrintable(completed[k].speaker), qPrintable(completed[k].text));
        UtteranceAssembler open = assembler;
        if (const std::optional<CaptionEntry> entry = open.close())
            std::printf("  open %s: %s\n", qPrintable(entry->speaker), qPrintable(entry->text));
    }
}

bool dump(FidelityStyle style, std::uint64_t seed, const QString& path) {
    const SyntheticMeeting meeting = MeetingGenerator::generate(style, seed);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        std::fprintf(stderr, "cannot write %s: %s\n", qPrintable(path), qPrintable(file.errorString()));
        return false;
    }
    for (const SyntheticPoll& poll : meeting.polls) {
        QJsonArray lines;
        for (const CaptionEntry& entry : poll.lines)
            lines.append(QJsonObject{{QStringLiteral("speaker"), entry.speaker}, {QStringLiteral("text"), entry.text}});
        const QJsonObject object{{QStringLiteral("time"), poll.time.toString(Qt::ISODateWithMs)},
                                 {QStringLiteral("lines"), lines}};
        file.write(QJsonDocument(object).toJson(QJsonDocument::Compact) + '\n');
    }
    return true;
}

int usage() {
    std::fprintf(stderr, "usage: bench_fidelity [--meetings N] [--style NAME] [--list] [--no-positional]\n"
                         "       bench_fidelity --show STYLE SEED\n"
                         "       bench_fidelity --dump STYLE SEED FILE\n"
                         "       bench_fidelity --trace STYLE SEED [FIRST LAST]\n"
                         "styles: meet teams zoomweb rolling meet-rev teams-rev zoomweb-rev rolling-rev\n");
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QLoggingCategory::setFilterRules(QStringLiteral("velmora.*=false"));
    const QStringList args = app.arguments().mid(1);

    if (!args.isEmpty() && args[0] == u"--trace" && (args.size() == 3 || args.size() == 5)) {
        const std::optional<FidelityStyle> style = styleNamed(args[1]);
        if (!style)
            return usage();
        trace(*style, args[2].toULongLong(), args.size() == 5 ? args[3].toInt() : 0,
              args.size() == 5 ? args[4].toInt() : std::numeric_limits<int>::max());
        return 0;
    }
    if (!args.isEmpty() && (args[0] == u"--show" || args[0] == u"--dump")) {
        if (args.size() != (args[0] == u"--show" ? 3 : 4))
            return usage();
        const std::optional<FidelityStyle> style = styleNamed(args[1]);
        bool ok = false;
        const std::uint64_t seed = args[2].toULongLong(&ok);
        if (!style || !ok)
            return usage();
        if (args[0] == u"--show") {
            show(*style, seed);
            return 0;
        }
        return dump(*style, seed, args[3]) ? 0 : 1;
    }

    int meetings = 50;
    bool list = false;
    bool positionalRules = true;
    QList<FidelityStyle> styles(std::begin(allFidelityStyles), std::end(allFidelityStyles));
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (args[i] == u"--meetings" && i + 1 < args.size()) {
            bool ok = false;
            meetings = args[++i].toInt(&ok);
            if (!ok || meetings < 1)
                return usage();
        } else if (args[i] == u"--list") {
            list = true;
        } else if (args[i] == u"--no-positional") {
            positionalRules = false;
        } else if (args[i] == u"--style" && i + 1 < args.size()) {
            const std::optional<FidelityStyle> style = styleNamed(args[++i]);
            if (!style)
                return usage();
            styles = {*style};
        } else {
            return usage();
        }
    }

    std::printf("%d meetings per style (seeds 1..%d); means per meeting, worst meeting last\n", meetings, meetings);
    std::printf("%-11s %-10s %8s %10s %12s %10s %10s\n", "style", "rules", "recall", "precision", "dup/meeting",
                "min recall", "min prec.");
    QElapsedTimer timer;
    qint64 coordinatorNs = 0;
    for (FidelityStyle style : styles) {
        Totals positional, coordinator;
        for (int seed = 1; seed <= meetings; ++seed) {
            const SyntheticMeeting meeting = MeetingGenerator::generate(style, std::uint64_t(seed));
            if (positionalRules)
                positional.add(FidelityScorer::score(meeting.truth, PositionalRules::transcribe(meeting)));
            timer.start();
            const QList<SpokenLine> transcript = transcribe(meeting);
            coordinatorNs += timer.nsecsElapsed();
            const FidelityScore score = FidelityScorer::score(meeting.truth, transcript);
            coordinator.add(score);
            if (list && (score.recall < 1 || score.duplicates > 0))
                std::printf("  seed %d: recall %.4f precision %.4f duplicates %d\n", seed, score.recall,
                            score.precision, score.duplicates);
        }
        const QByteArray name = fidelityStyleName(style).toUtf8();
        if (positionalRules)
            positional.print(name.constData(), "positional");
        coordinator.print(name.constData(), "new");
    }
    std::printf("coordinator time: %.1f ms per meeting\n", double(coordinatorNs) / 1e6 / (meetings * styles.size()));
    return 0;
}
