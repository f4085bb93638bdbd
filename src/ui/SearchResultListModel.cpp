#include "ui/SearchResultListModel.h"

#include <QLocale>

namespace velmora {

namespace {

QString kindName(SearchEntryKind kind) {
    switch (kind) {
    case SearchEntryKind::transcript: return SearchResultListModel::tr("Transcript");
    case SearchEntryKind::notes: return SearchResultListModel::tr("Notes");
    case SearchEntryKind::summary: return SearchResultListModel::tr("Summary");
    }
    return {};
}

} // namespace

void SearchResultListModel::setResults(QList<SearchResult> results) {
    beginResetModel();
    results_ = std::move(results);
    endResetModel();
}

int SearchResultListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(results_.size());
}

QVariant SearchResultListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= results_.size())
        return {};
    const SearchResult& result = results_.at(index.row());
    switch (role) {
    case Qt::DisplayRole: return result.snippet.text;
    case headingRole: return heading(result);
    case snippetHtmlRole: return snippetHtml(result.snippet);
    case Qt::ToolTipRole:
    case Qt::AccessibleTextRole: return heading(result) + QStringLiteral(": ") + result.snippet.text;
    default: return {};
    }
}

QString SearchResultListModel::heading(const SearchResult& result) {
    QStringList parts;
    if (result.meetingDate.isValid())
        parts.append(QLocale().toString(result.meetingDate.toLocalTime().date(), QLocale::ShortFormat));
    parts.append(CaptionSources::displayName(result.source));
    parts.append(result.kind == SearchEntryKind::summary && !result.section.isEmpty()
                     ? result.section : kindName(result.kind));
    if (!result.speaker.isEmpty())
        parts.append(result.speaker);
    if (result.time)
        parts.append(result.time->toString(QStringLiteral("HH:mm:ss")));
    return parts.join(QStringLiteral(" · "));
}

QString SearchResultListModel::snippetHtml(const SearchSnippet& snippet) {
    QString html;
    qsizetype at = 0;
    for (const SearchSnippet::Range& match : snippet.matches) {
        html += snippet.text.mid(at, match.start - at).toHtmlEscaped();
        html += QStringLiteral("<b>") + snippet.text.mid(match.start, match.length).toHtmlEscaped()
            + QStringLiteral("</b>");
        at = match.start + match.length;
    }
    return html + snippet.text.mid(at).toHtmlEscaped();
}

} // namespace velmora
