#include "library/search/MeetingSearchIndex.h"

#include "library/search/Logging.h"
#include "capture/SerialQueue.h"
#include "library/search/SearchQuery.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QPointer>
#include <QStandardPaths>

namespace velmora {

MeetingSearchIndex::MeetingSearchIndex(QString outputDirectory, RecordsSource records, Scheduler& scheduler,
                                       std::unique_ptr<SerialExecutor> queue, QString indexPath,
                                       QObject* parent)
    : QObject(parent), outputDirectory_(normalizedDirectory(outputDirectory)),
      indexPath_(indexPath.isEmpty() ? defaultIndexPath(outputDirectory_) : std::move(indexPath)),
      records_(std::move(records)), scheduler_(scheduler),
      queue_(queue ? std::move(queue) : std::make_unique<SerialQueue>(QStringLiteral("search-index"))),
      database_(std::make_shared<std::unique_ptr<SearchDatabase>>()) {}

MeetingSearchIndex::~MeetingSearchIndex() {
    if (pendingSync_)
        scheduler_.cancel(*pendingSync_);
    // The connection belongs to the queue's thread: close it there, after the jobs in flight.
    queue_->submit([holder = database_] { holder->reset(); }, [] {});
    queue_.reset();
}

QString MeetingSearchIndex::normalizedDirectory(const QString& directory) {
    const QFileInfo info(directory);
    const QString canonical = info.canonicalFilePath();
    return QDir::cleanPath(canonical.isEmpty() ? info.absoluteFilePath() : canonical);
}

QString MeetingSearchIndex::defaultIndexPath(const QString& outputDirectory) {
    const QString cache = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    const QByteArray hash = QCryptographicHash::hash(normalizedDirectory(outputDirectory).toUtf8(),
                                                     QCryptographicHash::Sha256)
                                .toHex()
                                .left(24);
    return QDir(cache).filePath(QStringLiteral("velmora/search/%1.sqlite").arg(QString::fromLatin1(hash)));
}

SearchDatabase& MeetingSearchIndex::database() {
    if (!*database_)
        *database_ = std::make_unique<SearchDatabase>(indexPath_, outputDirectory_);
    return **database_;
}

void MeetingSearchIndex::start() {
    if (!watcher_) {
        watcher_ = new QFileSystemWatcher(this);
        connect(watcher_, &QFileSystemWatcher::directoryChanged, this,
                [this] { requestSync(directoryDelay); });
        connect(watcher_, &QFileSystemWatcher::fileChanged, this, [this] { requestSync(liveDelay); });
        if (!watcher_->addPath(outputDirectory_))
            qCInfo(lcSearch, "Cannot watch %s; the index follows the history only", qUtf8Printable(outputDirectory_));
    }
    requestSync(Duration::zero());
}

void MeetingSearchIndex::historyChanged() { requestSync(Duration::zero()); }

void MeetingSearchIndex::requestSync(Duration delay) {
    const Duration due = scheduler_.elapsed() + delay;
    if (pendingSync_) {
        if (pendingDelay_ <= due)
            return; // the sync already planned comes soon enough
        scheduler_.cancel(*pendingSync_);
    }
    pendingDelay_ = due;
    pendingSync_ = scheduler_.schedule(delay, [this] {
        pendingSync_.reset();
        runRequestedSync();
    });
}

void MeetingSearchIndex::runRequestedSync() {
    if (syncRunning_) {
        syncAgain_ = true;
        return;
    }
    syncRunning_ = true;
    const QList<MeetingRecord> records = records_();
    auto report = std::make_shared<SearchDatabase::SyncReport>();
    QPointer<MeetingSearchIndex> self = this;
    queue_->submit([this, holder = database_, records, report] {
                       Q_UNUSED(holder);
                       *report = database().sync(records);
                   },
                   [self, records, report] {
                       if (!self)
                           return;
                       self->syncRunning_ = false;
                       self->afterSync(records, *report);
                       if (std::exchange(self->syncAgain_, false))
                           self->runRequestedSync();
                   });
}

QCoro::Task<SearchDatabase::SyncReport> MeetingSearchIndex::sync() {
    const QList<MeetingRecord> records = records_();
    auto job = queue_->run([this, records] { return database().sync(records); });
    const SearchDatabase::SyncReport report = co_await job;
    afterSync(records, report);
    co_return report;
}

QCoro::Task<SearchOutcome> MeetingSearchIndex::search(const QString& text, int limit) {
    const SearchQuery query = SearchQuery::parse(text);
    if (!query.isValid())
        co_return SearchOutcome{{}, query.error};
    auto job = queue_->run([this, query, limit] { return database().search(query, limit); });
    SearchOutcome outcome = co_await job;
    // A damaged index is rebuilt by the next sync; ask for it now.
    if (!outcome.error.isEmpty())
        requestSync(Duration::zero());
    co_return outcome;
}

void MeetingSearchIndex::afterSync(const QList<MeetingRecord>& records, const SearchDatabase::SyncReport& report) {
    watchLiveTranscripts(records);
    if (report.failed) {
        qCWarning(lcSearch, "Search index sync incomplete; trying again");
        requestSync(report.indexDamaged ? Duration::zero() : retryDelay);
    }
    if (report.changed())
        emit indexChanged();
}

void MeetingSearchIndex::watchLiveTranscripts(const QList<MeetingRecord>& records) {
    if (!watcher_)
        return;
    // A meeting is live until finalisation gives it a duration; its transcript grows in place,
    // which a directory watch does not report.
    QSet<QString> live;
    for (const MeetingRecord& record : records) {
        if (record.duration == 0 && record.transcriptPath && QFileInfo::exists(*record.transcriptPath))
            live.insert(*record.transcriptPath);
    }
    const QStringList watched = watcher_->files();
    for (const QString& path : watched) {
        if (!live.contains(path))
            watcher_->removePath(path);
    }
    for (const QString& path : live) {
        if (!watched.contains(path))
            watcher_->addPath(path);
    }
    liveFiles_ = live;
}

} // namespace velmora
