#include "capture/Graphemes.h"

#include <QList>
#include <QTextBoundaryFinder>

#include <algorithm>

namespace velmora::Graphemes {

namespace {
// Below the combining diacritical marks every code unit is a character of its own, except that
// CR LF is one: most captions take this path without the full segmentation.
constexpr char16_t firstCombiningMark = 0x0300;
} // namespace

std::vector<qint32> segment(QStringView text) {
    std::vector<qint32> starts;
    starts.reserve(text.size() + 1);
    const bool simple = std::all_of(text.begin(), text.end(),
                                    [](QChar c) { return c.unicode() < firstCombiningMark; });
    if (simple) {
        for (qsizetype i = 0; i < text.size(); ++i) {
            if (i > 0 && text[i] == u'\n' && text[i - 1] == u'\r')
                continue;
            starts.push_back(qint32(i));
        }
    } else {
        QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text.data(), text.size());
        qsizetype position = 0;
        while (position < text.size()) {
            starts.push_back(qint32(position));
            const qsizetype next = finder.toNextBoundary();
            if (next <= position)
                break;
            position = next;
        }
    }
    starts.push_back(qint32(text.size()));
    return starts;
}

void appendKey(QStringView character, QString& out) {
    if (character.size() == 1) {
        out += QChar(char16_t(QChar::toLower(character.front().unicode())));
        return;
    }
    QString lowered;
    lowered.reserve(character.size());
    for (char32_t codePoint : character.toUcs4())
        lowered += QStringView(QChar::fromUcs4(QChar::toLower(codePoint)));
    out += lowered.normalized(QString::NormalizationForm_C);
}

bool isWordCharacter(QStringView character) {
    if (character.isEmpty())
        return false;
    if (character.size() == 1 && character.front() == u' ')
        return true;
    char32_t first = character.front().unicode();
    if (character.front().isHighSurrogate() && character.size() > 1 &&
        character[1].isLowSurrogate())
        first = QChar::surrogateToUcs4(character[0], character[1]);
    return QChar::isLetterOrNumber(first);
}

} // namespace velmora::Graphemes
