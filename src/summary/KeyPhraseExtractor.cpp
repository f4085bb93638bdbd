#include "summary/KeyPhraseExtractor.h"

#include <QHash>
#include <QSet>
#include <QTextBoundaryFinder>

#include <algorithm>
#include <cmath>

namespace velmora {

namespace {

constexpr int maxPhraseWords = 3;

const QSet<QString>& stopWords() {
    static const QSet<QString> words = [] {
        const char* list =
            // English function words
            "a about above after again against all almost also although always am an and another "
            "any anybody anyone anything anyway are aren't around as at away back be because been "
            "before being below between both but by can can't cannot could couldn't did didn't do "
            "does doesn't doing don't done down during each either else enough etc even ever every "
            "everybody everyone everything few for from further get gets getting go goes going gone "
            "gonna got gotten had hadn't has hasn't have haven't having he he'd he'll he's her here "
            "here's hers herself him himself his how how's however i i'd i'll i'm i've if in into "
            "is isn't it it'd it'll it's its itself just least less let let's lets like likely "
            "made make makes making many may maybe me might mine more most much must mustn't my "
            "myself need needs neither never next no nobody none nor not nothing now of off often "
            "on once one ones only onto or other others otherwise our ours ourselves out over own "
            "per perhaps please put quite rather really same shall shan't she she'd she'll she's "
            "should shouldn't since so some somebody someone something sometimes somewhat soon "
            "still such than that that's the their theirs them themselves then there there's these "
            "they they'd they'll they're they've thing things this those though through thus to "
            "too toward towards under until up upon us very via was wasn't we we'd we'll we're "
            "we've were weren't what what's whatever when when's where where's whether which while "
            "who who's whoever whole whom whose why why's will with within without won't would "
            "wouldn't yes yet you you'd you'll you're you've your yours yourself yourselves "
            // conversation and meeting chatter
            "yeah yep yup nope okay ok oh uh um umm hmm mhm ah huh hey hi hello bye thanks thank "
            "sure right well actually basically literally totally definitely probably obviously "
            "kind sort lot lots bit little stuff guys folks everybody anyone know think thought "
            "mean means meant want wanted say said says saying see seen look looks looking guess "
            "feel feels tell told talk talking talked hear heard sounds sound good great nice cool "
            "awesome perfect fine bad better best big small new old first last also ask asked "
            "question questions point points idea ideas meeting meetings call calls today "
            "tomorrow yesterday week weeks day days month months year time times minute minutes "
            "second seconds hour hours morning afternoon evening monday tuesday wednesday thursday "
            "friday saturday sunday update updates quick quickly able sorry agree agreed decided "
            "decision work working worked take taking took give giving gave come coming came keep "
            "start started starting try trying tried use using used put done doing way ways part "
            "same different thing everyone screen share sharing mute muted happy glad plan "
            "team teams next item items action today's two three four five six seven eight nine ten "
            // Russian function words (most common)
            "и в во не что он на я с со как а то все она так его но да ты к у же вы за бы по "
            "только ее мне было вот от меня еще нет о из ему теперь когда даже ну вдруг ли если "
            "уже или ни быть был него до вас нибудь опять уж вам ведь там потом себя ничего ей "
            "может они тут где есть надо ней для мы тебя их чем была сам чтоб без будто чего раз "
            "тоже себе под будет ж тогда кто этот того потому этого какой совсем ним здесь этом "
            "один почти мой тем чтобы нее сейчас были куда зачем всех никогда можно при наконец "
            "два об другой хоть после над больше тот через эти нас про всего них какая много "
            "разве три эту моя впрочем хорошо свою этой перед иногда лучше чуть том нельзя такой "
            "им более всегда конечно всю между это давайте";
        QSet<QString> set;
        for (const QString& word : QString::fromUtf8(list).split(u' ', Qt::SkipEmptyParts))
            set.insert(word);
        return set;
    }();
    return words;
}

struct Token {
    QString key; // lower case
    QString surface;
    bool content = false;
};

bool isAcronym(const QString& word) {
    return word.size() >= 2 && std::all_of(word.begin(), word.end(), [](QChar c) {
               return c.isUpper() || c.isDigit();
           });
}

bool usableWord(const QString& surface, const QString& key, const AttendeeNames& names) {
    if (stopWords().contains(key) || names.isNameWord(key))
        return false;
    if (std::all_of(key.begin(), key.end(), [](QChar c) { return c.isDigit(); }))
        return false;
    const qsizetype length = key.size();
    const QChar first = surface.front();
    const bool cased = first.toUpper() != first.toLower();
    // Words of cased scripts need three letters unless they are acronyms ("QA", "UI");
    // ideographic runs need two characters.
    if (cased)
        return length >= 3 || isAcronym(surface);
    return length >= 2;
}

// Runs of tokens; a stop word, punctuation or the sentence end breaks a run.
QList<QList<Token>> runsOf(const QString& sentence, const AttendeeNames& names) {
    QList<QList<Token>> runs{{}};
    QTextBoundaryFinder finder(QTextBoundaryFinder::Word, sentence);
    qsizetype start = 0;
    while (start < sentence.size()) {
        qsizetype end = finder.toNextBoundary();
        if (end <= start)
            end = sentence.size();
        const QString piece = sentence.mid(start, end - start);
        start = end;
        if (piece.trimmed().isEmpty())
            continue;
        const bool isWord = std::any_of(piece.begin(), piece.end(),
                                        [](QChar c) { return c.isLetterOrNumber(); });
        const QString key = piece.toLower().replace(u'\u2019', u'\'');
        if (isWord && usableWord(piece, key, names)) {
            runs.back().append(Token{key, piece, true});
        } else if (!runs.back().isEmpty()) {
            // Apostrophes and hyphens inside a name stay in the run; everything else ends it.
            runs.append(QList<Token>());
        }
    }
    return runs;
}

struct Candidate {
    QHash<QString, int> surfaces;
    int count = 0;
    QSet<QString> speakers;
    int words = 1;
    double score = 0;
    QString key;

    QString bestSurface() const {
        QString best;
        int uses = -1;
        for (auto it = surfaces.constBegin(); it != surfaces.constEnd(); ++it) {
            if (it.value() > uses || (it.value() == uses && it.key() < best)) {
                best = it.key();
                uses = it.value();
            }
        }
        return best;
    }
};

bool containsPhrase(const QString& longer, const QString& shorter) {
    return (u' ' + longer + u' ').contains(u' ' + shorter + u' ');
}

QString presented(QString surface) {
    const QString first = surface.section(u' ', 0, 0);
    if (!first.isEmpty() && first == first.toLower() && first.front().isLower())
        surface.front() = surface.front().toUpper();
    return surface;
}

} // namespace

QStringList KeyPhraseExtractor::topics(const QList<SpokenSentence>& sentences,
                                       const AttendeeNames& names, qsizetype wanted) {
    QHash<QString, Candidate> candidates;
    for (const SpokenSentence& sentence : sentences) {
        for (const QList<Token>& run : runsOf(sentence.text, names)) {
            for (int length = 1; length <= maxPhraseWords; ++length) {
                for (int from = 0; from + length <= run.size(); ++from) {
                    QStringList keys, surfaces;
                    for (int i = from; i < from + length; ++i) {
                        keys.append(run[i].key);
                        surfaces.append(run[i].surface);
                    }
                    Candidate& candidate = candidates[keys.join(u' ')];
                    candidate.count += 1;
                    candidate.words = length;
                    candidate.speakers.insert(sentence.speaker);
                    candidate.surfaces[surfaces.join(u' ')] += 1;
                }
            }
        }
    }

    QList<Candidate> ranked;
    for (auto it = candidates.begin(); it != candidates.end(); ++it) {
        Candidate& candidate = it.value();
        const int needed = candidate.words == 1 ? 3 : 2;
        if (candidate.count < needed)
            continue;
        candidate.key = it.key();
        const QString surface = candidate.bestSurface();
        const bool named = std::any_of(surface.begin(), surface.end(), [](QChar c) { return c.isUpper(); });
        candidate.score = candidate.count * std::pow(double(candidate.words), 1.2) *
                          (candidate.speakers.size() > 1 ? 1.3 : 1.0) * (named ? 1.4 : 1.0);
        ranked.append(candidate);
    }
    std::sort(ranked.begin(), ranked.end(), [](const Candidate& a, const Candidate& b) {
        return a.score != b.score ? a.score > b.score : a.key < b.key;
    });

    QList<const Candidate*> chosen;
    for (const Candidate& candidate : ranked) {
        if (chosen.size() >= wanted)
            break;
        if (chosen.size() >= minTopics && candidate.score < ranked.first().score * 0.2)
            break;
        // A phrase inside a chosen one (or holding one, or sharing two of its words, or one
        // word of three) says the same topic again.
        const bool overlaps = std::any_of(chosen.begin(), chosen.end(), [&](const Candidate* other) {
            if (containsPhrase(other->key, candidate.key) || containsPhrase(candidate.key, other->key))
                return true;
            const QStringList mine = candidate.key.split(u' ');
            const QStringList theirs = other->key.split(u' ');
            const auto shared = std::count_if(mine.begin(), mine.end(),
                                              [&](const QString& word) { return theirs.contains(word); });
            return shared >= 2 || (shared >= 1 && std::max(mine.size(), theirs.size()) >= 3);
        });
        if (!overlaps)
            chosen.append(&candidate);
    }
    QStringList topics;
    for (const Candidate* candidate : chosen)
        topics.append(presented(candidate->bestSurface()));
    return topics;
}

} // namespace velmora
