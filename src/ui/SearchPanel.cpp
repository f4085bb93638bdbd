#include "ui/SearchPanel.h"

#include "library/search/SearchSession.h"
#include "ui/SearchResultDelegate.h"
#include "ui/SearchResultListModel.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QVBoxLayout>

namespace velmora {

SearchPanel::SearchPanel(SearchSession& session, QWidget* parent)
    : QWidget(parent),
      session_(session),
      field_(new QLineEdit(this)),
      message_(new QLabel(this)),
      results_(new QListView(this)),
      model_(new SearchResultListModel(this)) {
    field_->setPlaceholderText(tr("Search meetings"));
    field_->setClearButtonEnabled(true);
    field_->setAccessibleName(tr("Search meetings"));
    field_->setAccessibleDescription(
        tr("Words, \"exact phrases\", prefix*, speaker:Name, after:YYYY-MM-DD, before:YYYY-MM-DD"));
    field_->installEventFilter(this);

    message_->setWordWrap(true);
    message_->setContentsMargins(8, 4, 8, 4);
    message_->setAccessibleName(tr("Search status"));

    results_->setModel(model_);
    results_->setItemDelegate(new SearchResultDelegate(results_));
    results_->setWordWrap(true);
    results_->setResizeMode(QListView::Adjust);
    results_->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    results_->setAccessibleName(tr("Search results"));
    results_->installEventFilter(this);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(4);
    layout->addWidget(field_);
    layout->addWidget(message_);
    layout->addWidget(results_, 1);
    setActive(false);

    connect(field_, &QLineEdit::textChanged, &session_, &SearchSession::setQuery);
    connect(field_, &QLineEdit::returnPressed, this, [this] { choose(results_->currentIndex().row()); });
    connect(results_, &QListView::clicked, this, [this](const QModelIndex& index) { choose(index.row()); });
    connect(&session_, &SearchSession::resultsReady, this, &SearchPanel::showOutcome);
    connect(&session_, &SearchSession::cleared, this, [this] {
        model_->setResults({});
        setActive(false);
    });
}

void SearchPanel::focusField() {
    field_->setFocus(Qt::ShortcutFocusReason);
    field_->selectAll();
}

void SearchPanel::clear() {
    field_->clear();
}

void SearchPanel::showOutcome(const SearchOutcome& outcome) {
    model_->setResults(outcome.results);
    if (!outcome.error.isEmpty())
        message_->setText(outcome.error);
    else if (outcome.results.isEmpty())
        message_->setText(tr("No results"));
    else
        message_->setText(outcome.results.size() == 1 ? tr("1 result")
                                                       : tr("%1 results").arg(outcome.results.size()));
    if (!outcome.results.isEmpty())
        results_->setCurrentIndex(model_->index(0));
    setActive(true);
}

void SearchPanel::choose(int row) {
    if (row < 0 || row >= model_->rowCount())
        return;
    emit resultChosen(model_->result(row));
}

void SearchPanel::setActive(bool active) {
    message_->setVisible(active);
    results_->setVisible(active);
    // Without results the panel is just its field and leaves the height to the meeting list.
    setSizePolicy(QSizePolicy::Preferred, active ? QSizePolicy::Expanding : QSizePolicy::Maximum);
    if (active == active_)
        return;
    active_ = active;
    emit activeChanged(active);
}

bool SearchPanel::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress)
        return QWidget::eventFilter(watched, event);
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (watched == results_ && (key == Qt::Key_Return || key == Qt::Key_Enter)) {
        choose(results_->currentIndex().row());
        return true;
    }
    if (key == Qt::Key_Escape && !field_->text().isEmpty()) {
        clear();
        field_->setFocus();
        return true;
    }
    // Up and Down in the field move through the results without leaving the field.
    if (watched == field_ && (key == Qt::Key_Down || key == Qt::Key_Up) && model_->rowCount() > 0) {
        const int row = qBound(0, results_->currentIndex().row() + (key == Qt::Key_Down ? 1 : -1),
                               model_->rowCount() - 1);
        results_->setCurrentIndex(model_->index(row));
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace velmora
