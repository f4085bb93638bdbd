#pragma once

#include <QAbstractListModel>

namespace velmora {

class TranscriptStore;

// One row per transcript block. Follows the store's appends and patches row by row, so a live
// transcript grows without rebuilding the list.
class TranscriptListModel final : public QAbstractListModel {
    Q_OBJECT
public:
    enum Role { SpeakerRole = Qt::UserRole + 1, TimestampRole, CopyTextRole };

    explicit TranscriptListModel(TranscriptStore& store, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

    // "[10:00:01] Alice: Hello", as one block is copied.
    static QString copyText(const QString& speaker, const QString& timestamp, const QString& text);

private:
    TranscriptStore& store_;
};

} // namespace velmora
