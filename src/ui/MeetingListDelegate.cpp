#include "ui/MeetingListDelegate.h"

#include "capture/CaptionSource.h"
#include "ui/MeetingListModel.h"
#include "ui/SourceIcon.h"

#include <QApplication>
#include <QPainter>
#include <QPainterPath>

namespace velmora {

namespace {
constexpr int margin = 8;
}

QSize MeetingListDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const {
    const int line = option.fontMetrics.height();
    if (index.data(MeetingListModel::IsHeaderRole).toBool())
        return {0, line + 2 * margin};
    return {0, line * 2 + margin};
}

void MeetingListDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                const QModelIndex& index) const {
    if (index.data(MeetingListModel::IsHeaderRole).toBool())
        paintHeader(*painter, option, index);
    else
        paintMeeting(*painter, option, index);
}

void MeetingListDelegate::paintHeader(QPainter& painter, const QStyleOptionViewItem& option,
                                      const QModelIndex& index) const {
    painter.save();
    QFont font = option.font;
    font.setWeight(QFont::DemiBold);
    painter.setFont(font);
    QColor secondary = option.palette.color(QPalette::WindowText);
    secondary.setAlphaF(0.6f);
    painter.setPen(secondary);
    const QRect text = option.rect.adjusted(margin, margin, -margin, 0);
    painter.drawText(text, Qt::AlignLeft | Qt::AlignBottom, index.data().toString());
    painter.restore();
}

void MeetingListDelegate::paintMeeting(QPainter& painter, const QStyleOptionViewItem& option,
                                       const QModelIndex& index) const {
    QStyleOptionViewItem background = option;
    initStyleOption(&background, index);
    background.text.clear();
    const QWidget* widget = option.widget;
    QStyle* style = widget ? widget->style() : QApplication::style();
    style->drawPrimitive(QStyle::PE_PanelItemViewItem, &background, &painter, widget);

    painter.save();
    const bool selected = option.state & QStyle::State_Selected;
    const QColor text = option.palette.color(selected ? QPalette::HighlightedText : QPalette::Text);
    const int side = option.rect.height() - 2 * margin;
    const QRect icon(option.rect.left() + margin, option.rect.top() + margin, side, side);
    SourceIcon::paint(painter, icon, CaptionSource(index.data(MeetingListModel::SourceRole).toInt()));

    QRect content = option.rect.adjusted(icon.right() + margin, 0, -margin, 0);
    painter.setPen(text);
    QFont font = option.font;
    font.setWeight(QFont::DemiBold);
    painter.setFont(font);
    painter.drawText(content, Qt::AlignLeft | Qt::AlignVCenter,
                     index.data(MeetingListModel::TimeRole).toString());
    const int timeWidth = QFontMetrics(font).horizontalAdvance(QStringLiteral("00:00  "));
    content.setLeft(content.left() + timeWidth);
    painter.setFont(option.font);
    QColor secondary = text;
    secondary.setAlphaF(0.7f);
    painter.setPen(secondary);
    painter.drawText(content, Qt::AlignLeft | Qt::AlignVCenter,
                     index.data(MeetingListModel::DurationRole).toString());

    if (index.data(MeetingListModel::IsLiveRole).toBool()) {
        QFont badgeFont = option.font;
        badgeFont.setPointSizeF(badgeFont.pointSizeF() * 0.85);
        badgeFont.setBold(true);
        const QString label = QStringLiteral("Recording");
        const QFontMetrics metrics(badgeFont);
        const QSize size(metrics.horizontalAdvance(label) + 12, metrics.height() + 4);
        const QRect badge(content.right() - size.width(), option.rect.center().y() - size.height() / 2,
                          size.width(), size.height());
        painter.setRenderHint(QPainter::Antialiasing);
        QPainterPath pill;
        pill.addRoundedRect(QRectF(badge), size.height() / 2.0, size.height() / 2.0);
        painter.fillPath(pill, recordingColour());
        painter.setFont(badgeFont);
        painter.setPen(Qt::white);
        painter.drawText(badge, Qt::AlignCenter, label);
    }
    painter.restore();
}

} // namespace velmora
