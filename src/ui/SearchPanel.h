#pragma once

#include "library/search/SearchResult.h"

#include <QWidget>

class QLabel;
class QLineEdit;
class QListView;

namespace velmora {

class SearchResultListModel;
class SearchSession;

// The search field above the meeting list and, while a query is typed, the results that take
// the list's place. Choosing a result (click, Enter) reports it; Escape clears the field.
class SearchPanel final : public QWidget {
    Q_OBJECT
public:
    explicit SearchPanel(SearchSession& session, QWidget* parent = nullptr);

    QLineEdit* field() const { return field_; }
    // Focuses the field with its text selected (Ctrl+F).
    void focusField();
    void clear();

signals:
    void resultChosen(const velmora::SearchResult& result);
    // True while the results are shown instead of the meeting list.
    void activeChanged(bool active);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showOutcome(const SearchOutcome& outcome);
    void choose(int row);
    void setActive(bool active);

    SearchSession& session_;
    QLineEdit* field_;
    QLabel* message_;
    QListView* results_;
    SearchResultListModel* model_;
    bool active_ = false;
};

} // namespace velmora
