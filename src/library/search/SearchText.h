#pragma once

#include <QList>
#include <QString>

namespace velmora {

// Text as the index sees it. The word table folds case and diacritics itself; what it cannot
// do is find words in scripts written without spaces, so runs of Han, kana and Hangul are
// written as overlapping pairs of characters ("Q3会议记录" → "Q3 会议 议记 记录"): any
// substring of two or more characters is then the phrase of its pairs, and queries are
// written the same way.
class SearchText {
public:
    static bool isUnspacedScript(char32_t codePoint);
    // `text` with every unspaced run replaced by its pairs, set apart by spaces; a lone
    // character stands for itself. Other text is unchanged.
    static QString indexedForm(const QString& text);
    static bool hasUnspacedScript(const QString& text);

    // Case- and diacritic-folded text with every run of other characters than letters and
    // digits as one space; `origin[i]` is where folded character i starts in the original.
    struct Folded {
        QString text;
        QList<qsizetype> origin;
        QList<qsizetype> originEnd; // one past the original character
    };
    static Folded fold(const QString& text);
    static QString foldedForm(const QString& text) { return fold(text).text.trimmed(); }
};

} // namespace velmora
