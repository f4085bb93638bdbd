#include "ui/TranscriptListModel.h"

#include "library/TranscriptStore.h"

namespace velmora {

TranscriptListModel::TranscriptListModel(TranscriptStore& store, QObject* parent)
    : QAbstractListModel(parent), store_(store) {
    // The store has already changed when it tells: a reset is announced as a whole, and an
    // append is announced after the fact with its first row.
    connect(&store_, &TranscriptStore::entriesReset, this, [this] {
        beginResetModel();
        endResetModel();
    });
    connect(&store_, &TranscriptStore::entriesAppended, this, [this](qsizetype first, qsizetype count) {
        if (count == 0)
            return;
        beginInsertRows({}, int(first), int(first + count - 1));
        endInsertRows();
    });
    connect(&store_, &TranscriptStore::entryPatched, this, [this](qsizetype row) {
        const QModelIndex changed = index(int(row));
        emit dataChanged(changed, changed);
    });
}

int TranscriptListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(store_.count());
}

QString TranscriptListModel::copyText(const QString& speaker, const QString& timestamp,
                                      const QString& text) {
    return QStringLiteral("[%1] %2: %3").arg(timestamp, speaker, text);
}

QVariant TranscriptListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= store_.count())
        return {};
    const auto& entry = store_.entries()[index.row()];
    switch (role) {
    case Qt::DisplayRole: return entry.text;
    case Qt::AccessibleTextRole:
        return QStringLiteral("%1, %2, %3").arg(entry.speaker, entry.timestamp, entry.text);
    case SpeakerRole: return entry.speaker;
    case TimestampRole: return entry.timestamp;
    case CopyTextRole: return copyText(entry.speaker, entry.timestamp, entry.text);
    default: return {};
    }
}

} // namespace velmora
