#pragma once

#include "library/MeetingRecord.h"

#include <QWidget>

#include <optional>

class QListView;
class QStackedWidget;
class QVBoxLayout;

namespace velmora {

class AppState;
class EmptyStatePanel;
class MeetingListModel;

// The meetings by day, or "No meetings yet". Its layout has room above the list for a search
// field (insertAboveList).
class MeetingSidebar final : public QWidget {
    Q_OBJECT
public:
    explicit MeetingSidebar(AppState& state, QWidget* parent = nullptr);

    MeetingListModel* model() const { return model_; }
    QListView* list() const { return list_; }
    void insertAboveList(QWidget* widget);
    // Hides the meetings while something else takes their place (search results).
    void setListShown(bool shown);

    std::optional<QUuid> selectedId() const;
    // Selects the meeting's row (and scrolls to it), or clears the selection.
    void select(const std::optional<QUuid>& id);

signals:
    // The user picked a meeting, or the selection went away.
    void selectionChanged(const std::optional<QUuid>& id);
    void revealRequested(const velmora::MeetingRecord& record);
    void deleteRequested(const velmora::MeetingRecord& record);

private:
    void showContextMenu(const QPoint& position);
    void showListOrEmptyState();

    MeetingListModel* model_;
    QListView* list_;
    EmptyStatePanel* empty_;
    QStackedWidget* stack_;
    QVBoxLayout* layout_;
    bool selecting_ = false;
};

} // namespace velmora
