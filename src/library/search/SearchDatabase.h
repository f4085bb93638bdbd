#pragma once

#include "library/MeetingRecord.h"
#include "library/search/SearchQuery.h"
#include "library/search/SearchResult.h"

#include <QString>

#include <memory>

class QSqlError;
class QSqlQuery;

namespace velmora {

// The search index of one output directory in one SQLite file: a word table (FTS5, case and
// diacritics folded) over every utterance, notes paragraph and summary item, beside what was
// indexed from which file (size and modification time). It is a cache: the history and the
// files are the truth, `sync` brings the index to them, and a file that is not a readable
// index of this very directory is set aside and built again.
// Not thread-safe: one thread creates, uses and destroys it (Qt SQL connections are per thread).
class SearchDatabase {
public:
    // Raised when the schema changes: an older index is rebuilt rather than migrated.
    static constexpr int schemaVersion = 2; // 2: summary items without bold markers

    SearchDatabase(QString indexPath, QString outputDirectory);
    ~SearchDatabase();
    SearchDatabase(const SearchDatabase&) = delete;
    SearchDatabase& operator=(const SearchDatabase&) = delete;

    // Opens the index, creating it (private to the user) when absent. A corrupt file, one of
    // another schema or of another output directory is moved to "<file>.bad" (replacing an
    // earlier one) and a new index is started. False with `error` when none can be opened.
    bool open(QString* error = nullptr);
    bool isOpen() const { return open_; }
    // The file that was set aside by the last `open`, if any.
    std::optional<QString> setAsidePath() const { return setAside_; }

    struct SyncReport {
        int filesIndexed = 0;
        int filesRemoved = 0;
        int entriesIndexed = 0;
        bool meetingsChanged = false;
        bool failed = false;
        bool indexDamaged = false; // the next sync starts a new index
        bool changed() const { return filesIndexed || filesRemoved || meetingsChanged; }
    };
    // Brings the index to `records` and their files: new or changed files (size or
    // modification time) are read again, files and meetings that are gone leave it. A sync
    // that finds the file damaged fails; the next one starts a new index.
    SyncReport sync(const QList<MeetingRecord>& records);

    SearchOutcome search(const SearchQuery& query, int limit);

    // Every entry, ordered by file and place: for comparing two indexes.
    QStringList dump() const;
    int entryCount() const;

private:
    struct FileState;
    bool openAt(QString* error);
    bool createSchema();
    bool hasExpectedMeta();
    void close();
    void setAside();
    bool exec(const QString& sql);
    bool run(QSqlQuery& query); // keeps the error of a failed statement in lastError_
    bool removeFileEntries(const QString& name);
    bool indexFile(const QString& name, const QUuid& meeting, int kind, const QString& path,
                   const FileState& state, SyncReport& report);
    bool syncMeetings(const QList<MeetingRecord>& records, SyncReport& report);
    void noteFailure(const QString& what, const QString& detail);
    // A damaged file is set aside at the start of the next sync or search, when no statement
    // of this one holds the connection any more.
    bool noteDamage(const QSqlError& error);
    bool rebuildIfDamaged();

    QString indexPath_;
    QString outputDirectory_;
    QString connectionName_;
    bool open_ = false;
    std::optional<QString> setAside_;
    std::shared_ptr<QSqlError> lastError_; // of the last failed statement of a sync
    bool damaged_ = false;
};

} // namespace velmora
