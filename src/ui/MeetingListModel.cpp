#include "ui/MeetingListModel.h"

#include "app/AppState.h"
#include "library/MeetingFormatters.h"
#include "ui/SourceIcon.h"

namespace velmora {

MeetingListModel::MeetingListModel(AppState& state, Now now, QObject* parent)
    : QAbstractListModel(parent), state_(state), now_(std::move(now)) {
    connect(&state_, &AppState::visibleMeetingsChanged, this, &MeetingListModel::rebuild);
    connect(&state_, &AppState::currentLiveMeetingIDChanged, this, &MeetingListModel::refreshLiveRow);
    connect(&state_, &AppState::sessionDurationChanged, this, [this] {
        if (const QModelIndex live = liveId_ ? indexOf(*liveId_) : QModelIndex(); live.isValid())
            emit dataChanged(live, live, {DurationRole, Qt::AccessibleTextRole});
    });
    liveId_ = state_.currentLiveMeetingID();
    rebuild();
}

void MeetingListModel::rebuild() {
    beginResetModel();
    groups_ = MeetingGroup::groupByDay(state_.visibleMeetings(), now_());
    rows_.clear();
    for (qsizetype g = 0; g < groups_.size(); ++g) {
        rows_.append({g, -1});
        for (qsizetype m = 0; m < groups_[g].meetings.size(); ++m)
            rows_.append({g, m});
    }
    endResetModel();
}

void MeetingListModel::refreshLiveRow() {
    const auto previous = liveId_;
    liveId_ = state_.currentLiveMeetingID();
    for (const auto& id : {previous, liveId_}) {
        if (const QModelIndex row = id ? indexOf(*id) : QModelIndex(); row.isValid())
            emit dataChanged(row, row);
    }
}

bool MeetingListModel::isLive(const MeetingRecord& record) const {
    return liveId_ && *liveId_ == record.id;
}

int MeetingListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(rows_.size());
}

std::optional<MeetingRecord> MeetingListModel::recordAt(int row) const {
    if (row < 0 || row >= rows_.size() || rows_[row].meeting < 0)
        return std::nullopt;
    return groups_[rows_[row].group].meetings[rows_[row].meeting];
}

QModelIndex MeetingListModel::indexOf(const QUuid& id) const {
    for (int row = 0; row < rows_.size(); ++row) {
        if (rows_[row].meeting >= 0 && groups_[rows_[row].group].meetings[rows_[row].meeting].id == id)
            return index(row);
    }
    return {};
}

Qt::ItemFlags MeetingListModel::flags(const QModelIndex& index) const {
    if (!index.isValid())
        return Qt::NoItemFlags;
    if (rows_[index.row()].meeting < 0)
        return Qt::ItemIsEnabled;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

QVariant MeetingListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rows_.size())
        return {};
    const Row& row = rows_[index.row()];
    const MeetingGroup& group = groups_[row.group];
    if (row.meeting < 0) {
        switch (role) {
        case Qt::DisplayRole:
        case Qt::AccessibleTextRole: return group.title;
        case IsHeaderRole: return true;
        default: return {};
        }
    }
    const MeetingRecord& record = group.meetings[row.meeting];
    const bool live = isLive(record);
    const QString time = MeetingFormatters::formatTime(record.date);
    const QString duration = live ? state_.formattedDuration()
                                  : MeetingFormatters::formatDuration(record.duration);
    switch (role) {
    case Qt::DisplayRole: return time + QStringLiteral(" · ") + duration;
    case Qt::AccessibleTextRole: {
        QStringList parts{SourceIcon::applicationName(record.source), time, duration};
        if (live)
            parts.append(QStringLiteral("Recording"));
        return parts.join(QStringLiteral(", "));
    }
    case IsHeaderRole: return false;
    case RecordIdRole: return record.id;
    case SourceRole: return int(record.source);
    case TimeRole: return time;
    case DurationRole: return duration;
    case IsLiveRole: return live;
    default: return {};
    }
}

} // namespace velmora
