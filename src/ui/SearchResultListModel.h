#pragma once

#include "library/search/SearchResult.h"

#include <QAbstractListModel>

namespace velmora {

// Search results as list rows: a heading (date, source, where the match is, speaker, time) and
// the snippet, plain for screen readers and as HTML with the matches in bold for painting.
class SearchResultListModel final : public QAbstractListModel {
    Q_OBJECT
public:
    enum Role { headingRole = Qt::UserRole + 1, snippetHtmlRole };

    using QAbstractListModel::QAbstractListModel;

    void setResults(QList<SearchResult> results);
    const SearchResult& result(int row) const { return results_.at(row); }

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

    // "3/2/26 · Teams · Notes · Alice · 10:04:05", the parts that are unknown left out.
    static QString heading(const SearchResult& result);
    static QString snippetHtml(const SearchSnippet& snippet);

private:
    QList<SearchResult> results_;
};

} // namespace velmora
