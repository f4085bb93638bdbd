#pragma once

#include <QStyledItemDelegate>

namespace velmora {

// Draws the sidebar: day titles, and meeting rows with the application's mark, the start time,
// the duration and, for the live meeting, a red "Recording" badge.
class MeetingListDelegate final : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

    static QColor recordingColour() { return QColor(0xd9, 0x30, 0x25); }

private:
    void paintHeader(QPainter& painter, const QStyleOptionViewItem& option,
                     const QModelIndex& index) const;
    void paintMeeting(QPainter& painter, const QStyleOptionViewItem& option,
                      const QModelIndex& index) const;
};

} // namespace velmora
