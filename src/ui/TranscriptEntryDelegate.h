#pragma once

#include <QFont>
#include <QHash>
#include <QStyledItemDelegate>

class QAbstractItemView;

namespace velmora {

// Draws one transcript block in a centred column at most 680 pixels wide: the speaker
// (semibold) and time (dimmed) on one line, the wrapped text below, 20
// pixels between blocks. Heights are remembered per row and width, so scrolling a three-hour
// meeting measures each block once.
class TranscriptEntryDelegate final : public QStyledItemDelegate {
    Q_OBJECT
public:
    static constexpr int maxColumnWidth = 680;
    static constexpr int rowSpacing = 20;

    explicit TranscriptEntryDelegate(QAbstractItemView* view);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

    // Forgets remembered heights (all, or from one row on).
    void forget(int fromRow = 0);

private:
    struct Layout {
        QRect column;
        QRect heading;
        QRect text;
    };
    Layout layoutFor(const QRect& rowRect, const QFont& font, const QString& text) const;
    int columnWidth() const;
    QFont boldFont(const QFont& font) const;

    QAbstractItemView* view_;
    mutable QHash<int, int> heights_;
    mutable int heightsWidth_ = -1;
    mutable QFont heightsFont_;
};

} // namespace velmora
