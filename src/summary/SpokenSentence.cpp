#include "summary/SpokenSentence.h"

#include <QRegularExpression>
#include <QTextBoundaryFinder>

namespace velmora {

namespace {

const QString unknownSpeaker = QStringLiteral("Unknown user");

struct Turn {
    QString speaker;
    QString text;
};

QList<Turn> turnsOf(const QString& text) {
    static const QRegularExpression markdownHeader(
        QStringLiteral("^\\*\\*\\[[0-9]{2}:[0-9]{2}:[0-9]{2}\\] (.+?):\\*\\*$"));
    static const QRegularExpression plainLine(
        QStringLiteral("^\\[[0-9]{2}:[0-9]{2}:[0-9]{2}\\] (.+?): (.*)$"));
    QList<Turn> turns;
    bool inBlocks = false;
    for (const QString& line : text.split(u'\n')) {
        if (const auto header = markdownHeader.match(line); header.hasMatch()) {
            turns.append({header.captured(1), {}});
            inBlocks = true;
        } else if (const auto plain = plainLine.match(line); plain.hasMatch()) {
            if (!turns.isEmpty() && turns.back().speaker == plain.captured(1) && !inBlocks)
                turns.back().text += u' ' + plain.captured(2);
            else
                turns.append({plain.captured(1), plain.captured(2)});
        } else if (inBlocks && !turns.isEmpty()) {
            turns.back().text += u' ' + line;
        } else if (!line.trimmed().isEmpty() && !line.startsWith(u'#') &&
                   !line.startsWith(QStringLiteral("**")) && line.trimmed() != u"---" &&
                   !line.startsWith(QStringLiteral("Date: "))) {
            turns.append({QString(), line});
        }
    }
    for (Turn& turn : turns) {
        if (turn.speaker == unknownSpeaker)
            turn.speaker.clear();
        turn.text = turn.text.simplified();
    }
    return turns;
}

QStringList sentencesOf(const QString& text) {
    QStringList sentences;
    QTextBoundaryFinder finder(QTextBoundaryFinder::Sentence, text);
    qsizetype start = 0;
    while (start < text.size()) {
        qsizetype end = finder.toNextBoundary();
        if (end <= start)
            end = text.size();
        const QString sentence = text.mid(start, end - start).trimmed();
        if (!sentence.isEmpty())
            sentences.append(sentence);
        start = end;
    }
    return sentences;
}

} // namespace

QList<SpokenSentence> SpokenSentence::fromTranscript(const QString& text) {
    QList<SpokenSentence> sentences;
    const QList<Turn> turns = turnsOf(text);
    for (int index = 0; index < turns.size(); ++index) {
        for (const QString& sentence : sentencesOf(turns[index].text))
            sentences.append({turns[index].speaker, sentence, index});
    }
    return sentences;
}

} // namespace velmora
