#include "summary/CommitmentFinder.h"

#include <QRegularExpression>
#include <QSet>

#include <algorithm>

namespace velmora {

namespace {

using Pattern = QRegularExpression;
constexpr auto caseless = QRegularExpression::CaseInsensitiveOption;

const Pattern& leadingFiller() {
    static const Pattern p(
        QStringLiteral("^(?:(?:ok(?:ay)?|so|and|yeah|yes|yep|well|alright|all right|right|um+|uh+|"
                       "great|sure|cool|perfect|good|then|also|actually|oh|hmm+|anyway|fine)"
                       "[,.!]*\\s+)+"),
        caseless);
    return p;
}

const Pattern& firstPersonPromise() {
    static const Pattern p(
        QStringLiteral("^(?:i will|i'll|i’ll|i'm going to|i’m going to|i am going to|i am gonna|"
                       "i'm gonna|i can take|i will take|i'll take|i'll handle|i'll own)\\b\\s*(.*)$"),
        caseless);
    return p;
}

// Ways of saying "I will" that promise nothing.
const Pattern& emptyPromise() {
    static const Pattern p(
        QStringLiteral("^(?:i will|i'll|i’ll|i'm going to|i’m going to|i am going to|i'm gonna)\\s+"
                       "(?:be (?:honest|quick|brief|right back|back)|share (?:my|the) screen|"
                       "stop sharing|hand (?:it )?(?:over|back)|pass (?:it )?(?:over|on|to)|"
                       "let (?:you|\\w+) (?:go|take|know)? ?(?:over|start)?$|start|say|admit|"
                       "keep (?:it|this) (?:short|brief)|go (?:first|next|ahead)|mute|unmute|"
                       "drop off|drop for|try to be|just say|see\\b|jump off|leave it there)"),
        caseless);
    return p;
}

// "For the mockups, I'll …": a promise after an opening clause.
const Pattern& laterPromise() {
    static const Pattern p(
        QStringLiteral("[,;:]\\s+((?:i will|i'll|i’ll|i'm going to|i’m going to|i am going to)\\s+\\w.*)$"),
        caseless);
    return p;
}

// "I need to …" is a task of the speaker's, said less firmly than a promise: quoted as said.
const Pattern& ownTask() {
    static const Pattern p(QStringLiteral("^(?:i need to|i have to|i must|i should)\\s+(?!drop|go|leave|run|hop)\\w+\\s+\\w+"),
                           caseless);
    return p;
}

const Pattern& groupPromise() {
    static const Pattern p(
        QStringLiteral("^(?:we will|we'll|we’ll|we're going to|we are going to|we need to|"
                       "we have to|we must|let's|let’s|let us)\\s+(.+)$"),
        caseless);
    return p;
}

// "Let's start", "let's see": running the meeting, not work to do.
const Pattern& meetingChatter() {
    static const Pattern p(
        QStringLiteral("^(?:let's|let’s|let us|we'll|we will)\\s+(?:start|begin|see|get started|"
                       "move on|go around|kick (?:it )?off|wrap (?:it )?up|recap|jump in|dive in|"
                       "take a (?:quick )?look|look at|talk about|discuss|hear|continue|go ahead|"
                       "go back|get into|do a (?:quick )?round|catch up|call it|keep going|"
                       "check in|wait|give it|get going|go with|stick with|use\\b|pick)"),
        caseless);
    return p;
}

const Pattern& request() {
    static const Pattern p(
        QStringLiteral("\\b(?:can|could|would) you\\b|^please\\b|,\\s*please\\b|\\bplease (?!\\w+ me\\b)"),
        caseless);
    return p;
}

const Pattern& idleRequest() {
    static const Pattern p(
        QStringLiteral("\\byou (?:hear|see) (?:me|us|my screen|this|that)|\\b(?:repeat|say) that|"
                       "\\bspeak up\\b|\\bmute\\b|\\bshare your screen\\b|\\bplease go ahead\\b|"
                       "\\bgo ahead\\b|\\bexplain\\b|\\btell (?:me|us) more\\b|\\bremind me\\b"),
        caseless);
    return p;
}

const Pattern& explicitAction() {
    static const Pattern p(QStringLiteral("^(?:action item|action|todo|to-do|to do)s?\\s*[:\\-–]\\s*(.+)$"),
                           caseless);
    return p;
}

const Pattern& deadline() {
    static const Pattern p(
        QStringLiteral("\\b(?:by|before|until|on) (?:(?:next |this )?(?:monday|tuesday|wednesday|"
                       "thursday|friday|saturday|sunday)|tomorrow|tonight|noon|next week|"
                       "end of (?:the )?(?:day|week|month|sprint|quarter)|eod|eow|the \\d+(?:st|nd|rd|th)?)\\b"),
        caseless);
    return p;
}

const Pattern& decisionWords() {
    static const Pattern p(
        QStringLiteral("\\b(?:we(?:'ve| have)? decided|decided (?:to|that|on)|(?:the |final |our )decision|"
                       "decision is|we(?:'re| are) agreed|we agreed|(?:all |everyone )agreed|agreed (?:to|that|on)|"
                       "let's go with|let’s go with|we'll go with|we will go with|we're going with|"
                       "we are going with|we'll stick with|we will stick with|settled on|"
                       "(?:is|are|was) approved|signed off on|we're going to go with|it's decided)\\b"),
        caseless);
    return p;
}

const Pattern& undecided() {
    static const Pattern p(
        QStringLiteral("\\b(?:not|haven't|hasn't|didn't|don't|no|yet to|never|if)\\b[^.]{0,20}"
                       "\\b(?:decid|agree|decision|settled|approved)"),
        caseless);
    return p;
}

const Pattern& proposal() {
    static const Pattern p(
        QStringLiteral("^(?:let's|let’s|let us|how about|what if we|should we|shall we|i propose|"
                       "i suggest|my suggestion is|why don't we|maybe we should|we should|"
                       "i think we should)\\s+(?:that\\s+)?(.+)$"),
        caseless);
    return p;
}

const Pattern& agreement() {
    static const Pattern p(
        QStringLiteral("^(?:agreed|sounds good|deal|yes,? let's do (?:it|that)|let's do (?:it|that)|"
                       "that works(?: for me)?|works for me|fine by me|i agree|\\+1|yep,? agreed|"
                       "yes,? agreed|sure,? let's do (?:it|that)|makes sense,? let's do (?:it|that)|"
                       "good idea|i'm in|same here|absolutely|definitely)\\b"),
        caseless);
    return p;
}

const Pattern& acceptance() {
    static const Pattern p(
        QStringLiteral("^(?:sure|yes|yeah|yep|will do|on it|no problem|of course|absolutely|ok|okay|"
                       "i can do that|i'll do (?:it|that)|i can|happy to)\\b"),
        caseless);
    return p;
}

QString withoutFiller(const QString& sentence) {
    QString text = sentence;
    text.remove(leadingFiller());
    return text.trimmed();
}

int wordCount(const QString& text) {
    return int(text.split(u' ', Qt::SkipEmptyParts).size());
}

QString capitalised(QString text) {
    if (!text.isEmpty() && text.front().isLower())
        text.front() = text.front().toUpper();
    return text;
}

QString asStatement(QString text) {
    text = text.trimmed();
    while (text.endsWith(u'?') || text.endsWith(u',') || text.endsWith(u';'))
        text.chop(1);
    if (!text.isEmpty() && !text.back().isPunct())
        text += u'.';
    return text;
}

bool hasLatinLetters(const QString& text) {
    return std::any_of(text.begin(), text.end(),
                       [](QChar c) { return c.isLetter() && c.script() == QChar::Script_Latin; });
}

// The words of an item, for telling one promise repeated apart from two.
QSet<QString> wordsOf(const QString& text) {
    QSet<QString> words;
    static const QRegularExpression word(QStringLiteral("[\\p{L}\\p{N}]+"));
    for (const QRegularExpressionMatch& match : word.globalMatch(text.toLower())) {
        if (match.capturedLength() > 2)
            words.insert(match.captured());
    }
    return words;
}

bool nearlySame(const QSet<QString>& a, const QSet<QString>& b) {
    if (a.isEmpty() || b.isEmpty())
        return a == b;
    const qsizetype shared = QSet<QString>(a).intersect(b).size();
    return shared * 10 >= std::min(a.size(), b.size()) * 8;
}

} // namespace

CommitmentFinder::CommitmentFinder(const QList<SpokenSentence>& sentences,
                                   const AttendeeNames& names)
    : sentences_(sentences), names_(names) {}

std::optional<QString> CommitmentFinder::accepter(int index) const {
    const SpokenSentence& asked = sentences_[index];
    for (int next = index + 1; next < sentences_.size(); ++next) {
        const SpokenSentence& reply = sentences_[next];
        if (reply.turn == asked.turn)
            continue;
        if (reply.turn > asked.turn + 1)
            break;
        if (!reply.speaker.isEmpty() && reply.speaker != asked.speaker &&
            acceptance().match(reply.text.trimmed()).hasMatch())
            return reply.speaker;
        break;
    }
    return std::nullopt;
}

std::optional<CommitmentFinder::Found> CommitmentFinder::actionItem(int index) const {
    const SpokenSentence& sentence = sentences_[index];
    const QString text = withoutFiller(sentence.text);
    if (!hasLatinLetters(text) || wordCount(text) < 3)
        return std::nullopt;
    const QString speaker = sentence.speaker;
    const bool hasDeadline = deadline().match(text).hasMatch();
    const auto itemFor = [&](const QString& person, const QString& body, int strength) {
        return Found{index, strength + (hasDeadline ? 2 : 0), person + QStringLiteral(": ") + asStatement(body)};
    };

    if (const auto marked = explicitAction().match(text); marked.hasMatch()) {
        const QString body = marked.captured(1);
        const QString person = names_.mentionedIn(body, QString()).value_or(speaker);
        return person.isEmpty() ? Found{index, 5, asStatement(capitalised(body))}
                                : itemFor(person, body, 5);
    }
    if (text.endsWith(u'?') && !request().match(text).hasMatch())
        return std::nullopt;
    // What was decided is listed with the decisions.
    if (decisionWords().match(text).hasMatch())
        return std::nullopt;
    if (const auto promise = firstPersonPromise().match(text);
        promise.hasMatch() && !speaker.isEmpty() && !emptyPromise().match(text).hasMatch() &&
        wordCount(promise.captured(1)) >= 2) {
        return Found{index, 3 + (hasDeadline ? 2 : 0),
                     speaker + QStringLiteral(" will ") + asStatement(promise.captured(1))};
    }
    if (ownTask().match(text).hasMatch() && !speaker.isEmpty())
        return itemFor(speaker, text, 2);
    if (const auto later = laterPromise().match(text);
        later.hasMatch() && !speaker.isEmpty() && !emptyPromise().match(later.captured(1)).hasMatch())
        return itemFor(speaker, text, 3);
    if (request().match(text).hasMatch() && !idleRequest().match(text).hasMatch()) {
        const std::optional<QString> person = names_.mentionedIn(text, speaker);
        if (person)
            return itemFor(*person, text, 3);
        if (const std::optional<QString> accepted = accepter(index))
            return itemFor(*accepted, text, 3);
        return std::nullopt;
    }
    if (groupPromise().match(text).hasMatch() && !meetingChatter().match(text).hasMatch() &&
        !speaker.isEmpty() && wordCount(text) >= 4)
        return itemFor(speaker, text, 1);
    // "Dana will send the numbers by Friday."
    static const QRegularExpression namedPromise(
        QStringLiteral("\\b([\\p{L}'-]+)(?: [\\p{L}'-]+)? (?:will|is going to|'ll|can take|to)\\s+\\w+"),
        caseless);
    if (hasDeadline || text.contains(QStringLiteral(" will "), Qt::CaseInsensitive)) {
        for (const QRegularExpressionMatch& match : namedPromise.globalMatch(text)) {
            if (const auto person = names_.fullName(match.captured(1)))
                return itemFor(*person, text, 2);
        }
    }
    if (hasDeadline && !speaker.isEmpty() && text.contains(QRegularExpression(
                                                 QStringLiteral("\\b(?:i|we)\\b"), caseless)))
        return itemFor(speaker, text, 1);
    return std::nullopt;
}

std::optional<CommitmentFinder::Found> CommitmentFinder::confirmedProposal(int index) const {
    const SpokenSentence& reply = sentences_[index];
    const QString text = withoutFiller(reply.text);
    if (wordCount(text) > 8 || !agreement().match(text).hasMatch())
        return std::nullopt;
    // The last sentence of the previous speaker's turn is what is being agreed to.
    for (int previous = index - 1; previous >= 0; --previous) {
        const SpokenSentence& before = sentences_[previous];
        if (before.turn == reply.turn)
            continue;
        if (before.turn < reply.turn - 1 || before.speaker == reply.speaker)
            return std::nullopt;
        const auto proposed = proposal().match(withoutFiller(before.text));
        if (!proposed.hasMatch() || wordCount(proposed.captured(1)) < 2)
            return std::nullopt;
        QString decided = asStatement(capitalised(proposed.captured(1)));
        if (!reply.speaker.isEmpty()) {
            decided.chop(1);
            decided += QStringLiteral(" (agreed by %1).").arg(reply.speaker);
        }
        return Found{previous, 3, decided};
    }
    return std::nullopt;
}

std::optional<CommitmentFinder::Found> CommitmentFinder::decision(int index) const {
    const QString text = withoutFiller(sentences_[index].text);
    if (text.endsWith(u'?') || wordCount(text) < 3 || !decisionWords().match(text).hasMatch() ||
        undecided().match(text).hasMatch())
        return std::nullopt;
    return Found{index, 2, asStatement(capitalised(text))};
}

QStringList CommitmentFinder::strongestInOrder(QList<Found> found, qsizetype limit) {
    // A promise said twice is one item: the stronger (or first) wording stays.
    QList<Found> distinct;
    QList<QSet<QString>> distinctWords;
    for (const Found& item : found) {
        const QSet<QString> words = wordsOf(item.text);
        auto same = std::find_if(distinctWords.begin(), distinctWords.end(),
                                 [&](const QSet<QString>& other) { return nearlySame(words, other); });
        if (same == distinctWords.end()) {
            distinct.append(item);
            distinctWords.append(words);
        } else if (distinct[same - distinctWords.begin()].strength < item.strength) {
            distinct[same - distinctWords.begin()] = item;
            *same = words;
        }
    }
    if (distinct.size() > limit) {
        std::stable_sort(distinct.begin(), distinct.end(),
                         [](const Found& a, const Found& b) { return a.strength > b.strength; });
        distinct.resize(limit);
    }
    std::stable_sort(distinct.begin(), distinct.end(),
                     [](const Found& a, const Found& b) { return a.index < b.index; });
    QStringList texts;
    for (const Found& item : distinct)
        texts.append(item.text);
    return texts;
}

QStringList CommitmentFinder::actionItems() const {
    QSet<int> agreedProposals;
    for (int i = 0; i < sentences_.size(); ++i) {
        if (auto confirmed = confirmedProposal(i))
            agreedProposals.insert(confirmed->index);
    }
    QList<Found> found;
    for (int i = 0; i < sentences_.size(); ++i) {
        if (agreedProposals.contains(i))
            continue; // a decision now, not one person's task
        if (auto item = actionItem(i))
            found.append(*item);
    }
    return strongestInOrder(found, maxActionItems);
}

QStringList CommitmentFinder::decisions() const {
    QList<Found> found;
    for (int i = 0; i < sentences_.size(); ++i) {
        if (auto confirmed = confirmedProposal(i))
            found.append(*confirmed);
        else if (auto stated = decision(i))
            found.append(*stated);
    }
    return strongestInOrder(found, maxDecisions);
}

} // namespace velmora
