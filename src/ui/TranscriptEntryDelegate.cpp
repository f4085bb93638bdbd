#include "ui/TranscriptEntryDelegate.h"

#include "ui/TranscriptListModel.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QPainter>

#include <climits>

namespace velmora {

namespace {
constexpr int padding = 6;
constexpr int headingGap = 2;
}

TranscriptEntryDelegate::TranscriptEntryDelegate(QAbstractItemView* view)
    : QStyledItemDelegate(view), view_(view) {}

void TranscriptEntryDelegate::forget(int fromRow) {
    if (fromRow <= 0) {
        heights_.clear();
        return;
    }
    heights_.removeIf([fromRow](QHash<int, int>::iterator item) { return item.key() >= fromRow; });
}

int TranscriptEntryDelegate::columnWidth() const {
    const int available = view_->viewport()->width() - 2 * padding;
    return qMax(120, qMin(maxColumnWidth, available));
}

QFont TranscriptEntryDelegate::boldFont(const QFont& font) const {
    QFont bold = font;
    bold.setWeight(QFont::DemiBold);
    return bold;
}

TranscriptEntryDelegate::Layout TranscriptEntryDelegate::layoutFor(const QRect& rowRect,
                                                                   const QFont& font,
                                                                   const QString& text) const {
    const int width = columnWidth();
    const int left = rowRect.left() + qMax(padding, (rowRect.width() - width) / 2);
    const QFontMetrics bold(boldFont(font));
    const QFontMetrics plain(font);
    Layout layout;
    layout.heading = QRect(left + padding, rowRect.top() + padding, width - 2 * padding, bold.height());
    const QRect textBounds = plain.boundingRect(
        QRect(0, 0, layout.heading.width(), INT_MAX), Qt::TextWordWrap, text);
    layout.text = QRect(layout.heading.left(), layout.heading.bottom() + 1 + headingGap,
                        layout.heading.width(), textBounds.height());
    layout.column = QRect(left, rowRect.top(), width, layout.text.bottom() + 1 + padding - rowRect.top());
    return layout;
}

QSize TranscriptEntryDelegate::sizeHint(const QStyleOptionViewItem& option,
                                        const QModelIndex& index) const {
    const int width = columnWidth();
    if (width != heightsWidth_ || option.font != heightsFont_) {
        heights_.clear();
        heightsWidth_ = width;
        heightsFont_ = option.font;
    }
    auto found = heights_.constFind(index.row());
    if (found == heights_.cend()) {
        const Layout layout = layoutFor(QRect(0, 0, width, 0), option.font, index.data().toString());
        found = heights_.insert(index.row(), layout.column.height() + rowSpacing);
    }
    return {width, *found};
}

void TranscriptEntryDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                    const QModelIndex& index) const {
    const QString text = index.data().toString();
    const Layout layout = layoutFor(option.rect, option.font, text);
    painter->save();
    const bool selected = option.state & QStyle::State_Selected;
    if (selected) {
        QColor fill = option.palette.color(QPalette::Highlight);
        fill.setAlphaF(0.25f);
        painter->setRenderHint(QPainter::Antialiasing);
        painter->setPen(Qt::NoPen);
        painter->setBrush(fill);
        painter->drawRoundedRect(QRectF(layout.column), 6, 6);
    }
    const QColor primary = option.palette.color(QPalette::Text);
    const QFont bold = boldFont(option.font);
    painter->setFont(bold);
    painter->setPen(primary);
    const QString speaker = index.data(TranscriptListModel::SpeakerRole).toString();
    const QString elidedSpeaker =
        QFontMetrics(bold).elidedText(speaker, Qt::ElideRight, layout.heading.width() * 3 / 4);
    painter->drawText(layout.heading, Qt::AlignLeft | Qt::AlignVCenter, elidedSpeaker);

    painter->setFont(option.font);
    QColor tertiary = primary;
    tertiary.setAlphaF(0.5f);
    painter->setPen(tertiary);
    QRect time = layout.heading;
    time.setLeft(time.left() + QFontMetrics(bold).horizontalAdvance(elidedSpeaker) + 10);
    painter->drawText(time, Qt::AlignLeft | Qt::AlignVCenter,
                      index.data(TranscriptListModel::TimestampRole).toString());

    painter->setFont(option.font);
    painter->setPen(primary);
    painter->drawText(layout.text, Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop, text);
    painter->restore();
}

} // namespace velmora
