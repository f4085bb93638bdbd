#pragma once

#include <QStyledItemDelegate>

class QTextDocument;

namespace velmora {

// Paints a search result as two parts: its heading in the secondary text colour and, below, the
// snippet wrapped to the list's width with the matched words in bold.
class SearchResultDelegate final : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    static constexpr int margin = 6;
    static void layOut(QTextDocument& document, const QStyleOptionViewItem& option,
                       const QModelIndex& index);
};

} // namespace velmora
