#pragma once

#include "library/search/SearchQuery.h"

#include <QList>
#include <QString>

namespace velmora {

// A short excerpt of an entry around its first match, on one line, with the matched words
// located so a window can highlight them and a terminal can mark them.
struct SearchSnippet {
    struct Range {
        qsizetype start = 0;
        qsizetype length = 0;
        bool operator==(const Range& other) const = default;
    };

    QString text;
    QList<Range> matches; // in `text`, in order, never overlapping

    static constexpr qsizetype defaultLength = 160;

    // Finds the query's words and phrases in `entryText` as the index does (case and
    // diacritics folded; whole words, or word starts for prefixes; any substring in scripts
    // without spaces) and cuts the excerpt.
    static SearchSnippet make(const QString& entryText, const QList<SearchTerm>& terms,
                              qsizetype maxLength = defaultLength);

    // `text` with every match between `open` and `close`.
    QString marked(const QString& open, const QString& close) const;
};

} // namespace velmora
