#pragma once

#include "capture/SerialExecutor.h"
#include "library/MeetingHistoryProvider.h"

#include <QByteArray>
#include <QObject>
#include <QPointer>

#include <memory>

class QFileSystemWatcher;

namespace velmora {

// The meeting history of one output directory, kept in "meetings.json" there: a compact JSON
// array, newest first, with bare file names. Saves are encoded and written on a background
// queue in request order; destroying the store waits for the saves already requested.
class MeetingHistoryManager final : public QObject, public MeetingHistoryProvider {
    Q_OBJECT
public:
    static constexpr auto historyFileName = "meetings.json";

    // Loads and validates the history at once. `saveQueue` defaults to a thread of its own.
    explicit MeetingHistoryManager(const QString& directory,
                                   std::unique_ptr<SerialExecutor> saveQueue = nullptr,
                                   QObject* parent = nullptr);
    ~MeetingHistoryManager() override;

    QString directory() const { return directory_; }
    QString fileURL() const { return filePath_; }
    // True while the directory itself is watched (not while waiting for it to be created).
    bool isWatching() const { return watchingDirectory_; }

    QList<MeetingRecord> records() const override { return records_; }
    void setOnRecordsChanged(std::function<void()> callback) override;
    void addRecord(const MeetingRecord& record) override;
    void updateRecord(const MeetingRecord& record) override;
    void deleteRecord(const MeetingRecord& record) override;
    void startWatching() override;
    void stopWatching() override;

    // Turns a stored path into a file directly in `directory`: only its last component is
    // kept, so no record can name a file elsewhere. Empty, "." and ".." count as absent.
    static std::optional<QString> resolveFilename(const std::optional<QString>& stored,
                                                  const QString& directory);
    // The file format. `decode` returns nullopt and describes the fault in `error` when the
    // bytes are not a valid history; `encode` returns nullopt for a value JSON cannot hold.
    static QByteArray encode(const QList<MeetingRecord>& records, bool* ok = nullptr);
    static std::optional<QList<MeetingRecord>> decode(const QByteArray& json, const QString& directory,
                                                      QString& error);
    // Reads the history file, newest first; a missing file is an empty history.
    static std::optional<QList<MeetingRecord>> loadRecords(const QString& filePath,
                                                           const QString& directory, QString& error);

    // Drops records whose transcript is gone and clears missing summary and notes links.
    void validateRecords() { validateRecordsImpl(true); }

private:
    void validateRecordsImpl(bool notify);
    void scheduleValidation();
    bool armWatcher(); // false when no folder can be watched
    void onWatchedFolderChanged();
    void giveUpWatching();
    void save();
    std::optional<QString> setAsideUnreadableFile(); // the new name, when moved
    MeetingRecord confined(MeetingRecord record) const;

    QString directory_;
    QString filePath_;
    QList<MeetingRecord> records_;
    std::function<void()> onRecordsChanged_;
    std::unique_ptr<SerialExecutor> saveQueue_;
    QFileSystemWatcher* watcher_ = nullptr;
    bool watchingDirectory_ = false;
    bool validationQueued_ = false;
    // An undecodable history file that could not be moved aside yet must not be overwritten.
    bool unreadableFilePending_ = false;
};

} // namespace velmora
