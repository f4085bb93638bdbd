#include "ui/SearchResultDelegate.h"

#include "ui/SearchResultListModel.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QPainter>
#include <QTextDocument>

namespace velmora {

namespace {

// While rows are measured the option's rect is not the row yet: wrap to the list's width.
int textWidth(const QStyleOptionViewItem& option) {
    if (const auto* view = qobject_cast<const QAbstractItemView*>(option.widget))
        return view->viewport()->width();
    return option.rect.width();
}

} // namespace

void SearchResultDelegate::layOut(QTextDocument& document, const QStyleOptionViewItem& option,
                                  const QModelIndex& index) {
    const QPalette& palette = option.palette;
    const bool selected = option.state & QStyle::State_Selected;
    const QColor secondary = selected ? palette.color(QPalette::HighlightedText)
                                      : palette.color(QPalette::PlaceholderText);
    const QColor primary = palette.color(selected ? QPalette::HighlightedText : QPalette::Text);
    document.setDefaultFont(option.font);
    document.setDocumentMargin(margin);
    document.setTextWidth(qMax(textWidth(option), 120));
    document.setHtml(QStringLiteral("<div style=\"color:%1; font-size:small\">%2</div><div style=\"color:%3\">%4</div>")
                         .arg(secondary.name(),
                              index.data(SearchResultListModel::headingRole).toString().toHtmlEscaped(),
                              primary.name(),
                              index.data(SearchResultListModel::snippetHtmlRole).toString()));
}

void SearchResultDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                 const QModelIndex& index) const {
    QStyleOptionViewItem background = option;
    initStyleOption(&background, index);
    background.text.clear();
    const QStyle* style = option.widget ? option.widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &background, painter, option.widget);

    QTextDocument document;
    layOut(document, option, index);
    painter->save();
    painter->translate(option.rect.topLeft());
    document.drawContents(painter, QRectF(QPointF(0, 0), option.rect.size()));
    painter->restore();
}

QSize SearchResultDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const {
    QTextDocument document;
    layOut(document, option, index);
    return QSize(int(document.idealWidth()), int(document.size().height()));
}

} // namespace velmora
