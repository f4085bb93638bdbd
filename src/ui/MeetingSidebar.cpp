#include "ui/MeetingSidebar.h"

#include "ui/EmptyStatePanel.h"
#include "ui/MeetingListDelegate.h"
#include "ui/MeetingListModel.h"

#include <QListView>
#include <QMenu>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace velmora {

MeetingSidebar::MeetingSidebar(AppState& state, QWidget* parent)
    : QWidget(parent), model_(new MeetingListModel(state, &QDateTime::currentDateTime, this)),
      list_(new QListView(this)),
      empty_(new EmptyStatePanel(
          QStringLiteral("No meetings yet"),
          QStringLiteral("Velmora will capture meetings here automatically when captions are detected."),
          this)),
      stack_(new QStackedWidget(this)), layout_(new QVBoxLayout(this)) {
    setAccessibleName(QStringLiteral("Sidebar"));
    setMinimumWidth(220);
    list_->setModel(model_);
    list_->setItemDelegate(new MeetingListDelegate(list_));
    list_->setAccessibleName(QStringLiteral("Meetings"));
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setFrameShape(QFrame::NoFrame);
    list_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(list_, &QWidget::customContextMenuRequested, this, &MeetingSidebar::showContextMenu);
    connect(list_->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        if (!selecting_)
            emit selectionChanged(selectedId());
    });
    connect(model_, &QAbstractItemModel::modelReset, this, &MeetingSidebar::showListOrEmptyState);

    stack_->addWidget(list_);
    stack_->addWidget(empty_);
    layout_->setContentsMargins(0, 0, 0, 0);
    layout_->addWidget(stack_);
    showListOrEmptyState();
}

void MeetingSidebar::insertAboveList(QWidget* widget) { layout_->insertWidget(0, widget); }

void MeetingSidebar::setListShown(bool shown) { stack_->setVisible(shown); }

void MeetingSidebar::showListOrEmptyState() {
    stack_->setCurrentWidget(model_->rowCount() == 0 ? static_cast<QWidget*>(empty_) : list_);
}

std::optional<QUuid> MeetingSidebar::selectedId() const {
    const QModelIndexList rows = list_->selectionModel()->selectedRows();
    if (rows.isEmpty())
        return std::nullopt;
    if (const auto record = model_->recordAt(rows.first().row()))
        return record->id;
    return std::nullopt;
}

void MeetingSidebar::select(const std::optional<QUuid>& id) {
    selecting_ = true;
    const QModelIndex row = id ? model_->indexOf(*id) : QModelIndex();
    if (row.isValid()) {
        list_->selectionModel()->setCurrentIndex(row, QItemSelectionModel::ClearAndSelect);
        list_->scrollTo(row);
    } else {
        list_->selectionModel()->clearSelection();
    }
    selecting_ = false;
}

void MeetingSidebar::showContextMenu(const QPoint& position) {
    const auto record = model_->recordAt(list_->indexAt(position).row());
    if (!record)
        return;
    QMenu menu(this);
    QAction* reveal = menu.addAction(QStringLiteral("Show in File Manager"));
    reveal->setEnabled(record->transcriptPath.has_value());
    QAction* remove = menu.addAction(QStringLiteral("Delete Meeting..."));
    QAction* chosen = menu.exec(list_->viewport()->mapToGlobal(position));
    if (chosen == reveal)
        emit revealRequested(*record);
    else if (chosen == remove)
        emit deleteRequested(*record);
}

} // namespace velmora
