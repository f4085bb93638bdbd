#include "summary/TranscriptBlock.h"

namespace velmora {

QString TranscriptBlock::normalized() const {
    const QString lowered = textLines.join(u'\n').trimmed().toLower();
    QString kept;
    kept.reserve(lowered.size());
    for (qsizetype i = 0; i < lowered.size(); ++i) {
        const QChar c = lowered[i];
        char32_t codePoint = c.unicode();
        qsizetype units = 1;
        if (c.isHighSurrogate() && i + 1 < lowered.size() && lowered[i + 1].isLowSurrogate()) {
            codePoint = QChar::surrogateToUcs4(c, lowered[i + 1]);
            units = 2;
        }
        // Marks stay with their letters: without them Indic words would fall apart.
        if (QChar::isLetterOrNumber(codePoint) || QChar::isSpace(codePoint) ||
            QChar::isMark(codePoint))
            kept += QStringView(lowered).mid(i, units);
        i += units - 1;
    }
    return kept;
}

} // namespace velmora
