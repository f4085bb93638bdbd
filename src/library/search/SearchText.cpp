#include "library/search/SearchText.h"

#include <QStringList>

namespace velmora {

namespace {

char32_t codePointAt(const QString& text, qsizetype index, qsizetype& length) {
    const QChar c = text[index];
    if (c.isHighSurrogate() && index + 1 < text.size() && text[index + 1].isLowSurrogate()) {
        length = 2;
        return QChar::surrogateToUcs4(c, text[index + 1]);
    }
    length = 1;
    return c.unicode();
}

bool isWordCharacter(char32_t codePoint) {
    return QChar::isLetterOrNumber(codePoint) || QChar::category(codePoint) == QChar::Mark_NonSpacing ||
           QChar::category(codePoint) == QChar::Mark_SpacingCombining;
}

} // namespace

bool SearchText::isUnspacedScript(char32_t codePoint) {
    switch (QChar::script(codePoint)) {
    case QChar::Script_Han:
    case QChar::Script_Hiragana:
    case QChar::Script_Katakana:
    case QChar::Script_Hangul:
        return QChar::isLetterOrNumber(codePoint);
    default:
        return false;
    }
}

QString SearchText::indexedForm(const QString& text) {
    if (!hasUnspacedScript(text))
        return text;
    QString result;
    result.reserve(text.size() * 3);
    QList<QString> run;
    const auto finishRun = [&] {
        if (run.isEmpty())
            return;
        result.append(QLatin1Char(' '));
        if (run.size() == 1)
            result.append(run.front());
        for (qsizetype i = 0; i + 1 < run.size(); ++i) {
            if (i > 0)
                result.append(QLatin1Char(' '));
            result.append(run[i] + run[i + 1]);
        }
        result.append(QLatin1Char(' '));
        run.clear();
    };
    for (qsizetype i = 0; i < text.size();) {
        qsizetype length = 1;
        const char32_t codePoint = codePointAt(text, i, length);
        if (isUnspacedScript(codePoint)) {
            run.append(text.mid(i, length));
        } else {
            finishRun();
            result.append(QStringView(text).mid(i, length));
        }
        i += length;
    }
    finishRun();
    return result;
}

bool SearchText::hasUnspacedScript(const QString& text) {
    for (qsizetype i = 0; i < text.size();) {
        // Nothing below the Hangul Jamo block is unspaced: most text never leaves this line.
        if (text[i].unicode() < 0x1100) {
            ++i;
            continue;
        }
        qsizetype length = 1;
        if (isUnspacedScript(codePointAt(text, i, length)))
            return true;
        i += length;
    }
    return false;
}

SearchText::Folded SearchText::fold(const QString& text) {
    Folded result;
    result.text.reserve(text.size());
    bool lastWasSpace = false;
    const auto append = [&](const QString& part, qsizetype begin, qsizetype end) {
        for (const QChar c : part) {
            result.text.append(c);
            result.origin.append(begin);
            result.originEnd.append(end);
        }
    };
    for (qsizetype i = 0; i < text.size();) {
        qsizetype length = 1;
        const char32_t codePoint = codePointAt(text, i, length);
        const qsizetype end = i + length;
        if (!isWordCharacter(codePoint)) {
            if (!lastWasSpace)
                append(QStringLiteral(" "), i, end);
            lastWasSpace = true;
            i = end;
            continue;
        }
        lastWasSpace = false;
        // Decompose, drop the combining marks, fold the case: "Müller" → "muller".
        const QString decomposed = text.mid(i, length).normalized(QString::NormalizationForm_KD);
        QString base;
        for (const QChar c : decomposed) {
            if (c.category() != QChar::Mark_NonSpacing && c.category() != QChar::Mark_SpacingCombining &&
                c.category() != QChar::Mark_Enclosing)
                base.append(c);
        }
        append(base.toCaseFolded(), i, end);
        i = end;
    }
    return result;
}

} // namespace velmora
