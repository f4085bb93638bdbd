#pragma once

#include "library/MeetingHistoryProvider.h"
#include "library/MeetingRecord.h"

#include <QObject>
#include <QUuid>

#include <functional>
#include <memory>

namespace velmora {

class OutputDirectoryProvider;

// The meetings of the current output folder. Owns the folder's history and moves it (with its
// watcher) when the folder changes, and announces every change to the records: the meeting
// list and the search index listen here. A meeting keeps the history it was added to, so a
// transcript whose folder changed while it was written keeps its record there. Main thread.
class MeetingLibrary final : public QObject {
    Q_OBJECT
public:
    using HistoryFactory =
        std::function<std::shared_ptr<MeetingHistoryProvider>(const QString& folder)>;

    // The history of `folder` in `folder`/meetings.json.
    static HistoryFactory fileHistories();

    MeetingLibrary(OutputDirectoryProvider& outputDirectory, HistoryFactory makeHistory,
                   QObject* parent = nullptr);
    ~MeetingLibrary() override;

    // The folder as last checked; refreshFolder() asks the settings again.
    QString folder() const { return folder_; }
    // Checks where transcripts go now and moves the history there when that changed.
    QString refreshFolder();
    // The history of the current folder.
    std::shared_ptr<MeetingHistoryProvider> history() const { return history_; }
    QList<MeetingRecord> records() const { return history_->records(); }

    // Adds to the current folder's history; returns that history, the record's home.
    std::shared_ptr<MeetingHistoryProvider> addRecord(const MeetingRecord& record);
    // Stores a finished meeting's record in `home`, the history it was added to.
    void finaliseRecord(MeetingHistoryProvider& home, const MeetingRecord& record);
    void deleteRecord(const MeetingRecord& record);
    // Stores a changed record (the window's notes file) in the current folder's history and
    // announces it, so that the meeting list and the index see the new file.
    void updateRecord(const MeetingRecord& record);

    void startWatching();
    void stopWatching();

signals:
    void folderChanged(const QString& folder);
    void recordAdded(const velmora::MeetingRecord& record);
    void recordFinalised(const velmora::MeetingRecord& record);
    void recordDeleted(const QUuid& id);
    // The list changed otherwise: files vanished, another folder's history was loaded.
    void recordsChanged();

private:
    void adopt(std::shared_ptr<MeetingHistoryProvider> history);

    OutputDirectoryProvider& outputDirectory_;
    HistoryFactory makeHistory_;
    QString folder_;
    std::shared_ptr<MeetingHistoryProvider> history_;
    bool watching_ = false;
};

} // namespace velmora
