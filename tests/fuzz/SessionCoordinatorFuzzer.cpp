// The session coordinator fed a random caption screen, poll after poll: lines grow, get
// corrected, scroll away, vanish for a poll and come back, speakers change. Whatever it sees,
// it must not crash, must write only words it was shown (by that speaker, at a poll's time),
// and its output stays bounded by its input.
#include "FuzzSupport.h"

#include "capture/Clock.h"
#include "capture/SessionCoordinator.h"
#include "fakes/RecordingTranscriptWriter.h"
#include "fakes/ScriptedCaptionReader.h"

#include <QHash>
#include <QSet>
#include <QTimeZone>

using namespace velmora;
using velmora::fuzz::require;

namespace {

// No word's tail begins another word (the first letters appear nowhere else), so merging two
// lines on an overlap never makes up a word: every word written is one that was shown.
const QStringList vocabulary = {
    QStringLiteral("qa"),     QStringLiteral("qalo"),  QStringLiteral("qalomi"),
    QStringLiteral("xe"),     QStringLiteral("xenu"),  QStringLiteral("xenuta"),
    QStringLiteral("zo"),     QStringLiteral("zoria"), QStringLiteral("jum"),
    QStringLiteral("jumble"), QStringLiteral("vire"),  QStringLiteral("kinto"),
    QStringLiteral("kina"),   QStringLiteral("ve"),    QStringLiteral("jo"),
    QStringLiteral("zalen")};
const QStringList speakers = {QStringLiteral("Ana"), QStringLiteral("Bo"), QStringLiteral("Cy")};
const QStringList endings = {QString(),           QString(),           QString(),
                             QStringLiteral("."), QStringLiteral(","), QStringLiteral("?")};

class FixedClock final : public Clock {
  public:
    QDateTime now() const override { return time; }
    QDateTime time = QDateTime(QDate(2026, 3, 14), QTime(9, 30), QTimeZone::utc());
};

// Lower case, letters only: the form in which a shown word and a written one must agree
// (a later poll may change a word's case or punctuation).
QString wordKey(const QString& word) {
    QString key;
    for (const QChar c : word) {
        if (c.isLetter())
            key += c.toLower();
    }
    return key;
}

struct ScreenLine {
    QString speaker;
    QStringList words;
    QString text() const { return words.join(u' '); }
};

class Screen {
  public:
    explicit Screen(fuzz::ByteReader& input) : input_(input) {}

    // Changes the screen as a caption panel might between two polls.
    void change() {
        switch (input_.below(9)) {
        case 0:
        case 1:
        case 2:
            grow();
            break;
        case 3:
            addLine();
            break;
        case 4:
            correct();
            break;
        case 5:
            if (!lines_.isEmpty())
                lines_.removeFirst();
            break; // scrolled away
        case 6:
            restyle();
            break;
        case 7:
            if (!lines_.isEmpty())
                lines_.removeAt(input_.below(unsigned(lines_.size())));
            break;
        case 8:
            scrollWords();
            break;
        }
        while (lines_.size() > 5)
            lines_.removeFirst();
    }
    // Some polls miss a line that is back in the next.
    CaptionSnapshot snapshot(const QDateTime& time) {
        const int skipped = input_.below(8) == 0 && !lines_.isEmpty()
                                ? int(input_.below(unsigned(lines_.size())))
                                : -1;
        CaptionSnapshot snapshot;
        for (qsizetype i = 0; i < lines_.size(); ++i) {
            if (i != skipped && !lines_[i].words.isEmpty())
                snapshot.append({time, lines_[i].speaker, lines_[i].text()});
        }
        return snapshot;
    }

  private:
    QString word() {
        QString word = vocabulary[qsizetype(input_.below(unsigned(vocabulary.size())))];
        if (input_.below(4) == 0)
            word[0] = word[0].toUpper();
        return word + endings[qsizetype(input_.below(unsigned(endings.size())))];
    }
    ScreenLine& someLine() {
        if (lines_.isEmpty())
            addLine();
        return lines_[qsizetype(input_.below(unsigned(lines_.size())))];
    }
    void addLine() {
        lines_.append({speakers[qsizetype(input_.below(unsigned(speakers.size())))], {word()}});
    }
    void grow() {
        ScreenLine& line = lines_.isEmpty() ? (addLine(), lines_.last()) : lines_.last();
        const unsigned count = 1 + input_.below(3);
        for (unsigned i = 0; i < count; ++i)
            line.words.append(word());
    }
    void correct() {
        ScreenLine& line = someLine();
        line.words[qsizetype(input_.below(unsigned(line.words.size())))] = word();
    }
    void restyle() {
        ScreenLine& line = someLine();
        QString& word = line.words[qsizetype(input_.below(unsigned(line.words.size())))];
        const QString plain = wordKey(word);
        word = plain + endings[qsizetype(input_.below(unsigned(endings.size())))];
        if (input_.below(2) == 0)
            word[0] = word[0].toUpper();
    }
    // A line that shows only its last words.
    void scrollWords() {
        ScreenLine& line = someLine();
        if (line.words.size() > 1)
            line.words.remove(0, qsizetype(1 + input_.below(unsigned(line.words.size() - 1))));
    }

    fuzz::ByteReader& input_;
    QList<ScreenLine> lines_;
};

struct Shown {
    QHash<QString, QSet<QString>> wordsBySpeaker;
    QSet<QDateTime> pollTimes;
    qsizetype lineCount = 0;
    qsizetype characterCount = 0;

    void add(const CaptionSnapshot& snapshot) {
        for (const CaptionEntry& line : snapshot) {
            pollTimes.insert(line.timestamp);
            ++lineCount;
            characterCount += line.text.size() + 1;
            for (const QString& word : line.text.split(u' ', Qt::SkipEmptyParts))
                wordsBySpeaker[line.speaker].insert(wordKey(word));
        }
    }
};

void requireShown(const QList<CaptionEntry>& entries, const Shown& shown) {
    qsizetype characters = 0;
    for (const CaptionEntry& entry : entries) {
        require(shown.wordsBySpeaker.contains(entry.speaker), "an entry of a speaker never shown",
                entry.speaker);
        require(shown.pollTimes.contains(entry.timestamp), "an entry stamped at no poll's time");
        require(!entry.text.trimmed().isEmpty(), "an empty entry");
        const QSet<QString>& words = shown.wordsBySpeaker[entry.speaker];
        for (const QString& word : entry.text.split(u' ', Qt::SkipEmptyParts)) {
            require(words.contains(wordKey(word)), "a word this speaker was never shown saying",
                    entry.speaker + QStringLiteral(": ") + entry.text);
        }
        characters += entry.text.size();
    }
    require(entries.size() <= shown.lineCount, "more entries than lines shown");
    require(characters <= shown.characterCount, "more text than was shown");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::ByteReader input(data, size);
    FixedClock clock;
    auto reader = std::make_shared<ScriptedCaptionReader>();
    auto writer = std::make_shared<RecordingTranscriptWriter>();
    auto coordinator = std::make_shared<SessionCoordinator>(reader, writer, clock);
    Shown shown;
    // The live transcript: the writer's entries, then these.
    qsizetype liveWritten = 0;
    QList<CaptionEntry> livePending;
    coordinator->setOnTranscript([&](qsizetype written, const QList<CaptionEntry>& pending) {
        require(written == writer->written().size(),
                "the live transcript miscounts the written part");
        liveWritten = written;
        livePending = pending;
        requireShown(pending, shown);
    });
    // The reader and writer never suspend, so each poll is absorbed inside poll().
    auto session = coordinator->start();
    Screen screen(input);
    // VELMORA_FUZZ_TRACE=1 prints what each poll showed, to follow a finding.
    static const bool trace = qEnvironmentVariableIsSet("VELMORA_FUZZ_TRACE");
    for (int poll = 0; poll < 200 && !input.atEnd(); ++poll) {
        clock.time = clock.time.addMSecs(1000);
        if (input.below(6) == 0) {
            reader->pollEmpty(int(1 + input.below(4)));
            continue;
        }
        screen.change();
        const CaptionSnapshot snapshot = screen.snapshot(clock.now());
        for (const CaptionEntry& line : snapshot) {
            if (trace)
                std::fprintf(stderr, "poll %d  %s: %s\n", poll, qUtf8Printable(line.speaker),
                             qUtf8Printable(line.text));
        }
        shown.add(snapshot);
        reader->poll(snapshot);
    }
    reader->end();
    require(session.isReady(), "the session did not end with its reader");
    require(!coordinator->isRunning(), "the coordinator still runs after its reader ended");
    requireShown(writer->written(), shown);
    const QList<CaptionEntry> saved = writer->written();
    require(liveWritten + livePending.size() == saved.size() &&
                saved.mid(liveWritten) == livePending,
            "the saved transcript differs from the last live one");
    return 0;
}
