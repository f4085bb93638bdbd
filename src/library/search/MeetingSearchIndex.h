#pragma once

#include "capture/Scheduler.h"
#include "capture/SerialExecutor.h"
#include "library/MeetingRecord.h"
#include "library/search/SearchDatabase.h"
#include "library/search/SearchResult.h"

#include <QCoroTask>
#include <QObject>
#include <QSet>

#include <functional>
#include <memory>
#include <optional>

class QFileSystemWatcher;

namespace velmora {

// Full-text search over every meeting of one output directory: transcripts, notes and
// summaries. Owns the index file in the cache folder and keeps it in step with the history
// and the files by itself: it syncs on `start`, when told the history changed, when an entry
// of the output directory is added, removed or renamed, and while a meeting is live, when its
// transcript grows. All index work runs on its own queue; results come back on the calling
// (main) thread.
class MeetingSearchIndex final : public QObject {
    Q_OBJECT
public:
    using RecordsSource = std::function<QList<MeetingRecord>()>;

    // Waits this long after a change in the directory, so a burst of writes is read once.
    static constexpr Duration directoryDelay = std::chrono::milliseconds(250);
    // Waits this long after a live transcript grew.
    static constexpr Duration liveDelay = std::chrono::seconds(1);
    // A sync that failed for another reason than a damaged index is tried again after this.
    static constexpr Duration retryDelay = std::chrono::seconds(30);
    static constexpr int defaultLimit = 50;

    // `records` is read on the calling thread whenever a sync starts. `indexPath` defaults to
    // `defaultIndexPath(outputDirectory)`; `queue` to a thread of its own.
    MeetingSearchIndex(QString outputDirectory, RecordsSource records, Scheduler& scheduler,
                       std::unique_ptr<SerialExecutor> queue = nullptr, QString indexPath = {},
                       QObject* parent = nullptr);
    ~MeetingSearchIndex() override;

    // "<cache>/search/<hash of the directory>.sqlite": one index per output directory.
    static QString defaultIndexPath(const QString& outputDirectory);
    // Absolute, with links resolved: one directory reached two ways has one index.
    static QString normalizedDirectory(const QString& directory);

    QString indexPath() const { return indexPath_; }
    QString outputDirectory() const { return outputDirectory_; }

    // First sync and watching of the directory.
    void start();
    // A record was added, finalised, linked to notes or a summary, or deleted.
    void historyChanged();

    // Brings the index up to date now (the command line, tests).
    QCoro::Task<SearchDatabase::SyncReport> sync();
    QCoro::Task<SearchOutcome> search(const QString& text, int limit = defaultLimit);

    // Files being watched for growth: transcripts of meetings not finalised yet.
    QSet<QString> liveFiles() const { return liveFiles_; }

signals:
    // A sync changed what the index holds: a shown result list may be out of date.
    void indexChanged();

private:
    void requestSync(Duration delay);
    void runRequestedSync();
    void afterSync(const QList<MeetingRecord>& records, const SearchDatabase::SyncReport& report);
    void watchLiveTranscripts(const QList<MeetingRecord>& records);
    // Runs on the queue: the database is created there, on first use.
    SearchDatabase& database();

    QString outputDirectory_;
    QString indexPath_;
    RecordsSource records_;
    Scheduler& scheduler_;
    std::unique_ptr<SerialExecutor> queue_;
    std::shared_ptr<std::unique_ptr<SearchDatabase>> database_;
    QFileSystemWatcher* watcher_ = nullptr;
    QSet<QString> liveFiles_;
    std::optional<Scheduler::TimerId> pendingSync_;
    Duration pendingDelay_{0};
    bool syncRunning_ = false;
    bool syncAgain_ = false;
};

} // namespace velmora
