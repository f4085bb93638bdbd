#pragma once

#include "library/MeetingGroup.h"

#include <QAbstractListModel>
#include <QDateTime>
#include <QUuid>

#include <functional>
#include <optional>

namespace velmora {

class AppState;

// The sidebar's rows: the state's visible meetings grouped by day, each group led by a title
// row that cannot be selected. The live meeting's row follows the running duration.
class MeetingListModel final : public QAbstractListModel {
    Q_OBJECT
public:
    enum Role {
        IsHeaderRole = Qt::UserRole + 1,
        RecordIdRole,
        SourceRole,    // int of CaptionSource
        TimeRole,      // "HH:mm"
        DurationRole,  // "12 min", or the running "MM:SS" while live
        IsLiveRole,
    };

    using Now = std::function<QDateTime()>;
    explicit MeetingListModel(AppState& state, Now now = &QDateTime::currentDateTime,
                              QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    std::optional<MeetingRecord> recordAt(int row) const;
    QModelIndex indexOf(const QUuid& id) const;
    const QList<MeetingGroup>& groups() const { return groups_; }

private:
    struct Row {
        qsizetype group = 0;
        qsizetype meeting = -1; // -1: the group's title
    };

    void rebuild();
    void refreshLiveRow();
    bool isLive(const MeetingRecord& record) const;

    AppState& state_;
    Now now_;
    QList<MeetingGroup> groups_;
    QList<Row> rows_;
    std::optional<QUuid> liveId_;
};

} // namespace velmora
