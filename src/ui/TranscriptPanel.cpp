#include "ui/TranscriptPanel.h"

#include "ui/TranscriptEntryDelegate.h"
#include "ui/TranscriptListModel.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QVBoxLayout>

#include <algorithm>

namespace velmora {

TranscriptPanel::TranscriptPanel(TranscriptStore& store, QWidget* parent)
    : QWidget(parent), model_(new TranscriptListModel(store, this)), list_(new QListView(this)),
      delegate_(new TranscriptEntryDelegate(list_)) {
    auto* heading = new QLabel(QStringLiteral("Transcript"), this);
    QFont headingFont = heading->font();
    headingFont.setWeight(QFont::DemiBold);
    heading->setFont(headingFont);

    list_->setModel(model_);
    list_->setItemDelegate(delegate_);
    list_->setAccessibleName(QStringLiteral("Transcript"));
    list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list_->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    list_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list_->setResizeMode(QListView::Adjust);
    // Only what is on screen is measured before the first paint; the rest follows in batches.
    list_->setLayoutMode(QListView::Batched);
    list_->setBatchSize(60);
    list_->setFrameShape(QFrame::NoFrame);
    list_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(list_, &QWidget::customContextMenuRequested, this, &TranscriptPanel::showContextMenu);
    // Changed or reset rows are measured again.
    connect(model_, &QAbstractItemModel::dataChanged, this,
            [this](const QModelIndex& from) { delegate_->forget(from.row()); });
    connect(model_, &QAbstractItemModel::modelReset, this, [this] { delegate_->forget(); });

    auto* copy = new QAction(QStringLiteral("Copy"), list_);
    copy->setShortcut(QKeySequence::Copy);
    copy->setShortcutContext(Qt::WidgetShortcut);
    connect(copy, &QAction::triggered, this, &TranscriptPanel::copySelection);
    list_->addAction(copy);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 8, 0, 0);
    layout->addWidget(heading, 0, Qt::AlignHCenter);
    layout->addWidget(list_);
}

QString TranscriptPanel::selectedText() const {
    QModelIndexList rows = list_->selectionModel()->selectedRows();
    std::sort(rows.begin(), rows.end(),
              [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
    QStringList lines;
    for (const QModelIndex& row : rows)
        lines.append(row.data(TranscriptListModel::CopyTextRole).toString());
    return lines.join(QLatin1Char('\n'));
}

void TranscriptPanel::copySelection() const {
    const QString text = selectedText();
    if (!text.isEmpty())
        QApplication::clipboard()->setText(text);
}

bool TranscriptPanel::showEntry(int ordinal) {
    const QModelIndex index = model_->index(ordinal);
    if (!index.isValid())
        return false;
    list_->setCurrentIndex(index);
    list_->selectionModel()->select(index, QItemSelectionModel::ClearAndSelect);
    list_->scrollTo(index, QAbstractItemView::PositionAtCenter);
    list_->setFocus();
    return true;
}

void TranscriptPanel::showContextMenu(const QPoint& position) {
    const QModelIndex clicked = list_->indexAt(position);
    if (!clicked.isValid())
        return;
    // A right click outside the selection copies the block under the pointer.
    if (!list_->selectionModel()->isSelected(clicked))
        list_->selectionModel()->select(clicked, QItemSelectionModel::ClearAndSelect);
    QMenu menu(this);
    menu.addAction(QStringLiteral("Copy"), this, &TranscriptPanel::copySelection);
    menu.exec(list_->viewport()->mapToGlobal(position));
}

} // namespace velmora
