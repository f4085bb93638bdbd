#include "library/search/SearchSnippet.h"

#include "library/search/SearchText.h"

#include <algorithm>

namespace velmora {

namespace {

using Range = SearchSnippet::Range;

QChar ellipsis() { return QChar(0x2026); }

// Matches of one term in the folded text, as ranges of the original text.
void findTerm(const SearchText::Folded& folded, const SearchTerm& term, QList<Range>& ranges) {
    const QString needle = SearchText::foldedForm(term.text);
    if (needle.isEmpty())
        return;
    // Words of scripts without spaces match anywhere; other words only whole (or as a start).
    const bool anyStart = SearchText::isUnspacedScript(needle.front().unicode());
    const bool anyEnd = term.kind == SearchTerm::Kind::prefix ||
                        SearchText::isUnspacedScript(needle.back().unicode());
    const QString& haystack = folded.text;
    for (qsizetype at = haystack.indexOf(needle); at >= 0; at = haystack.indexOf(needle, at + 1)) {
        const qsizetype end = at + needle.size();
        const bool startOk = anyStart || at == 0 || haystack[at - 1] == QLatin1Char(' ') ||
                             SearchText::isUnspacedScript(haystack[at - 1].unicode());
        const bool endOk = anyEnd || end == haystack.size() || haystack[end] == QLatin1Char(' ') ||
                           SearchText::isUnspacedScript(haystack[end].unicode());
        if (!startOk || !endOk)
            continue;
        qsizetype originalEnd = folded.originEnd[end - 1];
        // A prefix marks the whole word it starts.
        if (term.kind == SearchTerm::Kind::prefix) {
            qsizetype wordEnd = end;
            while (wordEnd < haystack.size() && haystack[wordEnd] != QLatin1Char(' '))
                ++wordEnd;
            originalEnd = folded.originEnd[wordEnd - 1];
        }
        ranges.append({folded.origin[at], originalEnd - folded.origin[at]});
    }
}

QList<Range> merged(QList<Range> ranges) {
    std::sort(ranges.begin(), ranges.end(),
              [](const Range& a, const Range& b) { return a.start < b.start; });
    QList<Range> result;
    for (const Range& range : ranges) {
        if (!result.isEmpty() && range.start <= result.back().start + result.back().length) {
            Range& last = result.back();
            last.length = std::max(last.start + last.length, range.start + range.length) - last.start;
        } else {
            result.append(range);
        }
    }
    return result;
}

} // namespace

SearchSnippet SearchSnippet::make(const QString& entryText, const QList<SearchTerm>& terms,
                                  qsizetype maxLength) {
    // One line: line breaks and tabs read as spaces.
    QString text = entryText;
    for (QChar& c : text) {
        if (c.isSpace())
            c = QLatin1Char(' ');
    }
    const SearchText::Folded folded = SearchText::fold(text);
    QList<Range> ranges;
    for (const SearchTerm& term : terms)
        findTerm(folded, term, ranges);
    ranges = merged(ranges);

    SearchSnippet snippet;
    if (text.size() <= maxLength) {
        snippet.text = text;
        snippet.matches = ranges;
        return snippet;
    }
    // A window that shows the first match with some words before it, cut at spaces.
    const qsizetype first = ranges.isEmpty() ? 0 : ranges.front().start;
    qsizetype begin = std::max<qsizetype>(0, first - maxLength / 3);
    if (begin > 0) {
        const qsizetype space = text.indexOf(QLatin1Char(' '), begin);
        if (space >= 0 && space < first)
            begin = space + 1;
    }
    qsizetype end = std::min(text.size(), begin + maxLength);
    if (end < text.size()) {
        const qsizetype space = text.lastIndexOf(QLatin1Char(' '), end);
        if (space > begin && (ranges.isEmpty() || space >= ranges.front().start + ranges.front().length))
            end = space;
    }
    const QString prefix = begin > 0 ? QString(ellipsis()) : QString();
    snippet.text = prefix + text.mid(begin, end - begin) + (end < text.size() ? QString(ellipsis()) : QString());
    for (const Range& range : ranges) {
        if (range.start >= begin && range.start + range.length <= end)
            snippet.matches.append({range.start - begin + prefix.size(), range.length});
    }
    return snippet;
}

QString SearchSnippet::marked(const QString& open, const QString& close) const {
    QString result;
    qsizetype at = 0;
    for (const Range& range : matches) {
        result += QStringView(text).mid(at, range.start - at);
        result += open;
        result += QStringView(text).mid(range.start, range.length);
        result += close;
        at = range.start + range.length;
    }
    result += QStringView(text).mid(at);
    return result;
}

} // namespace velmora
