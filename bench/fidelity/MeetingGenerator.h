#pragma once

#include "fidelity/FidelityRandom.h"
#include "fidelity/SyntheticMeeting.h"

#include <QHash>
#include <QStringList>
#include <QTimeZone>

#include <algorithm>

namespace velmora::fidelity {

// Simulates, poll by poll, what a meeting client's caption area shows while people talk, and
// records what was said. Words appear a few per poll; some are misheard and corrected one to a
// few polls later (in the block style often after the next speaker started); finished
// sentences get their punctuation; short silences leave the area unchanged, long ones clear
// it; a line, or the whole area, sometimes flickers away for one poll.
// The revising styles add what recognisers do while the speaker goes on: in the poll that shows
// new words, words further back are replaced (also by two words, or two by one), dropped,
// re-capitalised or given punctuation; a late full stop splits a sentence and a removed one joins
// two; a sentence repeats words said just before or starts with the previous sentence's last
// word; two lines of one speaker merge into one; blocks grow to 1,000 characters.
// The ground truth of each utterance is every word the screen ever showed, in the form it
// showed last (a word dropped in view is not part of it): a capture can know nothing more.
class MeetingGenerator {
public:
    static SyntheticMeeting generate(FidelityStyle style, std::uint64_t seed) {
        MeetingGenerator generator(style, seed);
        generator.plan();
        generator.simulate();
        return generator.finish();
    }

private:
    struct Word {
        QString said;
        QString shown;
        QString lastShown;
        QString mark;  // punctuation the recogniser put after it while the sentence went on
        bool comma = false;
        bool seen = false;
        int fixAt = -1;
    };
    struct Sentence {
        QList<Word> words;
        int revealed = 0;
        QChar end = u'.';
        int finalizeAt = -1;
        bool finalized = false;
        bool joined = false;  // its end mark was taken back: it runs on into the next one
    };
    struct Unit {
        int speaker = 0;
        QList<Sentence> sentences;
        int node = -1;
        int startPoll = -1;
        int host = -1;     // the unit whose line this one's words were merged into
        int mergeAt = -1;  // the poll at which it merges into the previous unit's line
    };
    struct Rendered {
        QString text;
        QList<Word*> words;  // revealed words in order
        QList<int> starts;   // their offsets in text
    };

    MeetingGenerator(FidelityStyle style, std::uint64_t seed)
        : style_(style), layout_(fidelityLayout(style)), revising_(fidelityRevises(style)), seed_(seed),
          random_(seed * 0x2545F4914F6CDD1Dull + std::uint64_t(style) + 1) {}

    static const QStringList& vocabulary() {
        // Roughly by frequency: picks favour the front, so phrases repeat as in real speech.
        static const QStringList words = QStringLiteral(
            "the we to and I that it is a of you in so think this for be on have just we're "
            "not yeah with can what do if it's but at need right okay they one like going "
            "there are will was all about get our make would know from some time should more "
            "team people next week now then also maybe because really see how new work "
            "data release customer question when out up any go let's sure point other good "
            "by update meeting plan today us he she could first still already issue last "
            "those these build test review number change way thing something into over "
            "back them much very feedback design launch budget version problem deadline "
            "project report numbers quarter sprint roadmap product service system support "
            "decision priority process pipeline dashboard metrics migration database "
            "server client browser feature users account contract invoice partner vendor "
            "schedule calendar agenda summary notes follow action item owner morning "
            "afternoon tomorrow yesterday Monday Tuesday Wednesday Thursday Friday "
            "January March April June September October December Berlin Lisbon Toronto "
            "Nairobi Osaka marketing engineering finance legal security design research "
            "onboarding training hiring interview candidate offer salary office remote "
            "travel conference workshop presentation slides document spreadsheet draft "
            "approval sign-off estimate forecast revenue cost savings growth churn "
            "retention pricing discount renewal upgrade outage incident postmortem alert "
            "monitoring latency throughput capacity scaling backup restore rollout "
            "rollback hotfix patch branch merge deploy staging production regression "
            "coverage benchmark profile memory storage network bandwidth firewall "
            "certificate password access permissions audit compliance privacy consent "
            "survey interviews insights persona journey wireframe prototype mockup "
            "usability accessibility localisation translation copy headline banner "
            "campaign newsletter webinar podcast article blog video thumbnail analytics "
            "funnel conversion signup activation engagement referral loyalty community "
            "forum ticket backlog estimate velocity retrospective standup demo kickoff "
            "milestone dependency blocker risk assumption constraint scope requirement "
            "specification architecture interface protocol schema endpoint payload "
            "cache queue worker scheduler thread process container cluster region "
            "honestly basically actually definitely probably obviously unfortunately "
            "absolutely interesting important difficult simple complicated expensive "
            "cheaper faster slower bigger smaller earlier later quickly carefully").split(u' ');
        return words;
    }

    static const QStringList& names() {
        static const QStringList list = {
            QStringLiteral("Alice Moreau"), QStringLiteral("Bilal Okafor"), QStringLiteral("Chen Wei"),
            QStringLiteral("Dana Kowalski"), QStringLiteral("Emeka Obi"), QStringLiteral("Fatima Zahra"),
            QStringLiteral("Gustav Lind"), QStringLiteral("Hana Sato"), QStringLiteral("Ines Duarte"),
            QStringLiteral("Jonas Berg")};
        return list;
    }

    QString pickWord() {
        const QStringList& words = vocabulary();
        const double u = random_.unit();
        return words[std::min<qsizetype>(words.size() - 1, qsizetype(double(words.size()) * u * u))];
    }
    QString mishear(const QString& word) {
        QString other = word;
        while (other.compare(word, Qt::CaseInsensitive) == 0)
            other = pickWord();
        return other;
    }

    bool rolling() const { return layout_ == FidelityStyle::rollingLine; }

    void plan() {
        const int speakers = random_.between(2, 5);
        QStringList pool = names();
        for (int i = 0; i < speakers; ++i)
            speakerNames_.append(pool.takeAt(random_.between(0, int(pool.size()) - 1)));
        visibleLimit_ = layout_ == FidelityStyle::meetBlocks     ? random_.between(2, 4)
                        : layout_ == FidelityStyle::teamsItems   ? random_.between(3, 5)
                        : layout_ == FidelityStyle::zoomWebSlots ? (random_.chance(0.6) ? 2 : 1)
                                                                : (random_.chance(0.5) ? 2 : 1);
        window_ = random_.between(55, 65);
        clearAfter_ = random_.between(5, 8);

        int units = 0;
        int sameSpeaker = 0;  // percent chance that the next unit has the previous speaker
        switch (layout_) {
        case FidelityStyle::meetBlocks: units = random_.between(45, 80); sameSpeaker = 15; break;
        case FidelityStyle::teamsItems: units = random_.between(120, 200); sameSpeaker = 60; break;
        case FidelityStyle::zoomWebSlots: units = random_.between(120, 200); sameSpeaker = 65; break;
        case FidelityStyle::rollingLine: units = random_.between(35, 60); sameSpeaker = 0; break;
        default: break;
        }
        int speaker = random_.between(0, speakers - 1);
        for (int u = 0; u < units; ++u) {
            if (u > 0 && !random_.chance(sameSpeaker / 100.0)) {
                int next = random_.between(0, speakers - 2);
                speaker = next >= speaker ? next + 1 : next;
            }
            Unit unit;
            unit.speaker = speaker;
            const int sentences = revising_                             ? revisingSentenceCount()
                                  : layout_ == FidelityStyle::meetBlocks  ? random_.between(1, 4)
                                  : layout_ == FidelityStyle::rollingLine ? random_.between(1, 5)
                                                                          : 1;
            int characters = 0;
            for (int s = 0; s < sentences && (!revising_ || characters < maxBlockCharacters); ++s) {
                Sentence sentence;
                const int length = revising_ && layout_ == FidelityStyle::teamsItems ? random_.between(4, 30)
                                                                                     : random_.between(4, 16);
                for (int w = 0; w < length; ++w) {
                    Word word;
                    word.said = pickWord();
                    if (w == 0)
                        word.said[0] = word.said[0].toUpper();
                    word.comma = w + 1 < length && w > 0 && random_.chance(0.06);
                    sentence.words.append(word);
                }
                sentence.end = random_.chance(0.15) ? u'?' : u'.';
                if (revising_)
                    repeatWords(sentence, unit, s == 0 && u > 0 && units_.last().speaker == speaker ? &units_.last() : nullptr);
                for (const Word& word : sentence.words)
                    characters += int(word.said.size()) + 1;
                if (revising_ && characters > maxBlockCharacters && s > 0)
                    break;
                unit.sentences.append(sentence);
            }
            units_.append(unit);
        }
    }

    static constexpr int maxBlockCharacters = 1000;

    int revisingSentenceCount() {
        switch (layout_) {
        case FidelityStyle::meetBlocks: {
            const double u = random_.unit();
            return u < 0.5 ? random_.between(1, 4) : u < 0.85 ? random_.between(5, 9) : random_.between(10, 18);
        }
        case FidelityStyle::rollingLine: return random_.between(1, 8);
        default: return random_.between(1, 2);
        }
    }

    static QString capitalised(QString word) {
        if (!word.isEmpty())
            word[0] = word[0].toUpper();
        return word;
    }
    static QString uncapitalised(QString word) {
        if (!word.isEmpty())
            word[0] = word[0].toLower();
        return word;
    }

    // Speech repeats itself: a phrase said a moment ago comes again, a word is stuttered, and a
    // sentence picks up with the last word of the one before ("... should thanks." "Thanks ...").
    void repeatWords(Sentence& sentence, const Unit& unit, const Unit* previousUnit) {
        QStringList earlier;
        for (const Sentence& before : unit.sentences)
            for (const Word& word : before.words)
                earlier.append(word.said);
        if (random_.chance(0.35) && earlier.size() >= 4) {
            const int length = random_.between(2, 4);
            const int from = random_.between(0, int(earlier.size()) - length);
            const int at = random_.between(1, int(sentence.words.size()) - 1);
            for (int k = length - 1; k >= 0; --k) {
                Word word;
                word.said = uncapitalised(earlier[from + k]);
                sentence.words.insert(at, word);
            }
        }
        if (random_.chance(0.08)) {
            const int at = random_.between(0, int(sentence.words.size()) - 1);
            Word word;
            word.said = sentence.words[at].said;
            sentence.words.insert(at + 1, word);
            sentence.words[at + 1].said = uncapitalised(word.said);
        }
        const Sentence* before = !unit.sentences.isEmpty() ? &unit.sentences.last()
                                 : previousUnit                ? &previousUnit->sentences.last()
                                                               : nullptr;
        if (before && random_.chance(unit.sentences.isEmpty() ? 0.25 : 0.1))
            sentence.words[0].said = capitalised(before->words.last().said);
    }

    static Rendered render(Unit& unit) {
        Rendered out;
        for (Sentence& sentence : unit.sentences) {
            for (int w = 0; w < sentence.revealed; ++w) {
                Word& word = sentence.words[w];
                if (word.shown.isEmpty()) {
                    // Dropped by a revision: nothing shows, but the word was there.
                    out.words.append(&word);
                    out.starts.append(int(out.text.size()));
                    continue;
                }
                if (!out.text.isEmpty())
                    out.text += u' ';
                out.words.append(&word);
                out.starts.append(int(out.text.size()));
                out.text += word.shown;
                const bool ends = sentence.finalized && w + 1 == sentence.words.size() && !sentence.joined;
                if (!ends)
                    out.text += word.mark;
                if (sentence.finalized && word.comma && word.mark.isEmpty())
                    out.text += u',';
            }
            if (sentence.finalized && sentence.revealed == sentence.words.size() && !sentence.joined)
                out.text += sentence.end;
        }
        return out;
    }

    // Revisions of words before the end of the line being spoken, in the poll that also shows
    // its next words. Returns true when the line got shorter and shows no new words this poll.
    bool revise(Unit& unit) {
        if (!random_.chance(layout_ == FidelityStyle::meetBlocks ? 0.2 : 0.12))
            return false;
        bool shortened = false;
        for (int n = random_.chance(0.25) ? 2 : 1; n > 0; --n) {
            Rendered rendered = render(unit);
            QList<Word*> words;
            for (Word* word : rendered.words)
                if (!word->shown.isEmpty())
                    words.append(word);
            if (words.size() < 3)
                return shortened;
            const double u = random_.unit();
            const int back = u < 0.45 ? random_.between(1, 4) : u < 0.8 ? random_.between(5, 20)
                                                                        : random_.between(1, int(words.size()) - 1);
            const int at = std::max(0, int(words.size()) - 1 - back);
            Word& word = *words[at];
            Word& next = *words[at + 1];
            word.fixAt = -1;
            const double kind = random_.unit();
            if (kind < 0.3) {
                word.shown = mishear(word.shown);
            } else if (kind < 0.4) {
                word.shown = mishear(word.shown) + u' ' + pickWord();
            } else if (kind < 0.5) {
                word.shown = mishear(word.shown);
                next.shown.clear();
                shortened = true;
            } else if (kind < 0.6) {
                word.shown.clear();
                shortened = true;
            } else if (kind < 0.7) {
                word.shown = word.shown[0].isUpper() ? uncapitalised(word.shown) : capitalised(word.shown);
            } else if (kind < 0.8) {
                word.mark = random_.chance(0.5) ? QStringLiteral(",") : QStringLiteral("?");
                if (word.mark == u'?')
                    next.shown = capitalised(next.shown);
            } else if (kind < 0.92) {
                // A late full stop splits the sentence.
                word.mark = QStringLiteral(".");
                next.shown = capitalised(next.shown);
            } else {
                joinSentences(unit);
            }
            word.said = word.shown;
            next.said = next.shown;
        }
        return shortened && random_.chance(0.5);
    }

    // The recogniser takes back a full stop: two sentences become one.
    void joinSentences(Unit& unit) {
        for (qsizetype s = 0; s + 1 < unit.sentences.size(); ++s) {
            Sentence& sentence = unit.sentences[s];
            Sentence& following = unit.sentences[s + 1];
            if (sentence.finalized && !sentence.joined && following.revealed > 0 && random_.chance(0.5)) {
                sentence.joined = true;
                Word& first = following.words[0];
                if (!first.shown.isEmpty())
                    first.shown = first.said = uncapitalised(first.shown);
                return;
            }
        }
    }

    // The top-level unit whose line shows `u`'s words.
    int lineOf(int u) const {
        while (units_[u].host >= 0)
            u = units_[u].host;
        return u;
    }

    int fixDelay(bool late) {
        if (late)
            return random_.between(3, 6);
        const double u = random_.unit();
        return u < 0.65 ? 1 : u < 0.9 ? 2 : random_.between(3, 4);
    }

    void applyPending(int poll) {
        for (qsizetype u = visibleFrom_; u < units_.size() && units_[u].startPoll >= 0; ++u) {
            for (Sentence& sentence : units_[u].sentences) {
                for (Word& word : sentence.words) {
                    if (word.fixAt >= 0 && word.fixAt <= poll) {
                        word.shown = word.said;
                        word.fixAt = -1;
                    }
                }
                if (sentence.finalizeAt >= 0 && sentence.finalizeAt <= poll) {
                    sentence.finalized = true;
                    sentence.finalizeAt = -1;
                }
            }
            Unit& unit = units_[u];
            if (unit.mergeAt >= 0 && unit.mergeAt <= poll) {
                unit.mergeAt = -1;
                // Merged into the line above only while that one is still on screen.
                if (u > visibleFrom_ && visibleLines().contains(lineOf(int(u) - 1)))
                    unit.host = lineOf(int(u) - 1);
            }
        }
    }

    int unseenLength(Unit& unit) const {
        int total = 0;
        for (Sentence& sentence : unit.sentences)
            for (int w = 0; w < sentence.revealed; ++w)
                if (!sentence.words[w].seen)
                    total += int(sentence.words[w].shown.size()) + 1;
        return total;
    }

    int revealCount() {
        if (rolling() && random_.chance(0.05))
            return random_.between(5, 8);  // the client caught up with a burst of words
        const double u = random_.unit();
        return u < 0.25 ? 1 : u < 0.6 ? 2 : u < 0.85 ? 3 : 4;
    }

    int drawPause(bool withinUnit) {
        const double u = random_.unit();
        if (withinUnit)
            return u < 0.75 ? 0 : random_.between(1, 2);
        if (u < 0.5)
            return 0;
        if (u < 0.9)
            return random_.between(1, 3);
        if (u < 0.97)
            return random_.between(4, 10);
        return random_.between(12, 40);
    }

    void startUnit(int index, int poll) {
        Unit& unit = units_[index];
        const bool previousSame = index > 0 && units_[index - 1].speaker == unit.speaker;
        if (revising_ && previousSame && !rolling() && layout_ != FidelityStyle::zoomWebSlots && random_.chance(0.2))
            unit.mergeAt = poll + random_.between(1, 5);
        if (layout_ != FidelityStyle::zoomWebSlots)
            return;
        // The web client reuses the speaker's line element for their next sentence, or adds one.
        const qsizetype reusable = previousSame ? nodes_.indexOf(index - 1) : -1;
        if (reusable >= 0 && random_.chance(0.6)) {
            unit.node = nodeIds_[reusable];
            nodes_[reusable] = index;
            return;
        }
        unit.node = nextNode_++;
        nodes_.append(index);
        nodeIds_.append(unit.node);
        while (nodes_.size() > visibleLimit_) {
            nodes_.removeFirst();
            nodeIds_.removeFirst();
        }
    }

    void clearArea() {
        visibleFrom_ = qsizetype(current_);
        nodes_.clear();
        nodeIds_.clear();
    }

    // The lines on screen now, as (unit, text) pairs; a line with merged units is given by its
    // first unit.
    QList<int> visibleLines() const {
        if (layout_ == FidelityStyle::zoomWebSlots)
            return nodes_;
        QList<int> shown;
        // A line that scrolled out does not come back when two lines below it merge.
        for (qsizetype u = std::max(visibleFrom_, firstShown_); u < units_.size() && units_[u].startPoll >= 0; ++u)
            if (units_[u].host < 0)
                shown.append(int(u));
        while (shown.size() > visibleLimit_)
            shown.removeFirst();
        return shown;
    }

    QList<std::pair<int, QString>> view() {
        QList<std::pair<int, QString>> lines;
        const QList<int> shown = visibleLines();
        if (!shown.isEmpty() && layout_ != FidelityStyle::zoomWebSlots)
            firstShown_ = shown.first();
        for (int u : shown) {
            Rendered rendered = renderLine(u);
            if (rendered.text.isEmpty())
                continue;
            int from = 0;
            if (rolling()) {
                from = rendered.starts.last();
                for (int start : rendered.starts) {
                    if (rendered.text.size() - start <= window_) {
                        from = start;
                        break;
                    }
                }
            }
            lines.append({u, rendered.text.mid(from)});
        }
        return lines;
    }

    // A unit's text followed by the texts of the units merged into its line.
    Rendered renderLine(int u) {
        Rendered rendered = render(units_[u]);
        for (qsizetype g = u + 1; g < units_.size() && units_[g].startPoll >= 0; ++g) {
            if (units_[g].host < 0 || lineOf(int(g)) != u)
                continue;
            const Rendered guest = render(units_[g]);
            if (guest.text.isEmpty())
                continue;
            const int offset = rendered.text.isEmpty() ? 0 : int(rendered.text.size()) + 1;
            rendered.text += (rendered.text.isEmpty() ? QString() : QStringLiteral(" ")) + guest.text;
            rendered.words += guest.words;
            for (int start : guest.starts)
                rendered.starts.append(start + offset);
        }
        return rendered;
    }

    void markSeen(int u, int fromOffset) {
        Rendered rendered = renderLine(u);
        for (qsizetype i = 0; i < rendered.words.size(); ++i) {
            if (rendered.starts[i] >= fromOffset) {
                rendered.words[i]->seen = true;
                rendered.words[i]->lastShown = rendered.words[i]->shown;
            }
        }
    }

    QString speakerLabel(int u) {
        if (layout_ != FidelityStyle::zoomWebSlots)
            return speakerNames_[units_[u].speaker];
        const int node = units_[u].node;
        if (!nodeLabels_.contains(node))
            nodeLabels_.insert(node, QStringLiteral("Speaker %1").arg(nodeLabels_.size() + 1));
        return nodeLabels_.value(node);
    }

    void publish(int poll, const QList<std::pair<int, QString>>& lines) {
        SyntheticPoll out;
        out.time = start_.addSecs(poll);
        for (const auto& [u, text] : lines) {
            const Rendered rendered = renderLine(u);
            markSeen(u, int(rendered.text.size() - text.size()));
            out.lines.append({out.time, speakerLabel(u), text});
        }
        polls_.append(out);
    }

    void speak(int poll) {
        Unit& unit = units_[current_];
        if (unit.startPoll < 0) {
            unit.startPoll = poll;
            startUnit(int(current_), poll);
        }
        Sentence& sentence = unit.sentences[sentence_];
        const bool lateWords = layout_ == FidelityStyle::meetBlocks;
        if (revising_ && revise(unit))
            return;
        for (int n = revealCount(); n > 0 && sentence.revealed < sentence.words.size(); --n) {
            Word& word = sentence.words[sentence.revealed];
            if (rolling() && unseenLength(unit) + word.said.size() + 1 > window_ - 8)
                break;
            word.shown = word.said;
            if (random_.chance(0.07)) {
                word.shown = mishear(word.said);
                word.fixAt = poll + fixDelay(lateWords && random_.chance(0.3));
            }
            ++sentence.revealed;
        }
        if (sentence.revealed < sentence.words.size())
            return;
        // Punctuation arrives with the last word or a little later; in the block and item
        // styles often after the next line began.
        const int delay = layout_ == FidelityStyle::meetBlocks ? random_.between(0, 3) : random_.between(0, 2);
        if (delay == 0)
            sentence.finalized = true;
        else
            sentence.finalizeAt = poll + delay;
        if (++sentence_ < unit.sentences.size()) {
            pause_ = drawPause(true);
            return;
        }
        sentence_ = 0;
        ++current_;
        pause_ = drawPause(false);
        // Every meeting has at least one silence long enough to clear the caption area.
        if (qsizetype(current_) == units_.size() / 2)
            pause_ = std::max(pause_, clearAfter_ + random_.between(2, 20));
        // The block style opens a new block for the same speaker only after a silence.
        if (current_ < units_.size() && layout_ == FidelityStyle::meetBlocks &&
            units_[current_].speaker == unit.speaker)
            pause_ = std::max(pause_, 2);
    }

    void simulate() {
        start_ = QDateTime(QDate(2026, 3, 14), QTime(9, 30), QTimeZone::utc());
        pause_ = 2;
        int silent = 0;
        int tail = 0;
        for (int poll = 0;; ++poll) {
            applyPending(poll);
            bool spoke = false;
            if (pause_ > 0) {
                --pause_;
            } else if (current_ < units_.size()) {
                speak(poll);
                spoke = true;
            }
            silent = spoke ? 0 : silent + 1;
            if (silent == clearAfter_)
                clearArea();
            if (current_ >= units_.size() && pause_ == 0 && ++tail > 8)
                break;
            QList<std::pair<int, QString>> lines = tail > 6 ? QList<std::pair<int, QString>>{} : view();
            if (!lines.isEmpty() && random_.chance(0.004))
                lines.clear();
            else if (!lines.isEmpty() && random_.chance(0.012))
                lines.removeAt(random_.between(0, int(lines.size()) - 1));
            publish(poll, lines);
        }
    }

    SyntheticMeeting finish() {
        SyntheticMeeting meeting;
        meeting.style = style_;
        meeting.seed = seed_;
        meeting.polls = polls_;
        for (qsizetype u = 0; u < units_.size(); ++u) {
            Unit& unit = units_[u];
            QStringList words;
            for (const Sentence& sentence : unit.sentences) {
                QStringList said;
                for (const Word& word : sentence.words)
                    if (word.seen && !word.lastShown.isEmpty())
                        said.append(word.lastShown + (word.comma ? QStringLiteral(",") : QString()));
                if (!said.isEmpty()) {
                    said.last() = said.last().chopped(said.last().endsWith(u',') ? 1 : 0) + sentence.end;
                    words += said;
                }
            }
            if (!words.isEmpty())
                meeting.truth.append({speakerLabel(int(u)), words.join(u' ')});
        }
        return meeting;
    }

    FidelityStyle style_;
    FidelityStyle layout_;  // the caption area simulated
    bool revising_;
    std::uint64_t seed_;
    FidelityRandom random_;
    QStringList speakerNames_;
    int visibleLimit_ = 3;
    int window_ = 60;
    int clearAfter_ = 6;
    QList<Unit> units_;
    qsizetype current_ = 0;
    qsizetype sentence_ = 0;
    int pause_ = 0;
    qsizetype visibleFrom_ = 0;
    qsizetype firstShown_ = 0;
    QList<int> nodes_;    // zoom web: the unit each visible line element holds
    QList<int> nodeIds_;  // and that element's identity
    int nextNode_ = 0;
    QHash<int, QString> nodeLabels_;
    QDateTime start_;
    QList<SyntheticPoll> polls_;
};

} // namespace velmora::fidelity
