#include "library/search/SearchDatabase.h"

#include "library/search/Logging.h"
#include "library/MeetingNotesManager.h"
#include "library/search/SearchDocumentReader.h"
#include "library/search/SearchText.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringDecoder>
#include <QTimeZone>
#include <QVariant>

#include <algorithm>
#include <atomic>

#include <sys/stat.h>

namespace velmora {

namespace {

// SQLite's result codes for a damaged file and for a file that is no database.
const QString sqliteCorrupt = QStringLiteral("11");
const QString sqliteNotADatabase = QStringLiteral("26");

// Files are committed in groups: one transaction per file would sync the disk thousands of
// times in a first build; one for everything would keep a long build invisible.
constexpr int filesPerTransaction = 64;
constexpr int filesBeforeOptimizing = 200;
// A word found in more entries than this is ranked among its newest matches only: ranking
// costs a look-up per match, and a word that common says little about relevance anyway.
constexpr int rankingWindow = 4000;

QString uniqueConnectionName() {
    static std::atomic<int> counter{0};
    return QStringLiteral("velmora-search-%1").arg(counter.fetch_add(1));
}

QString summaryPathFor(const QString& transcriptPath) {
    const QFileInfo info(transcriptPath);
    const QString name = info.fileName();
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    const QString base = dot > 0 ? name.left(dot) : name;
    return info.dir().filePath(base + QStringLiteral("-summary.md"));
}

QString lastComponent(const QString& path) { return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1); }

} // namespace

// What a file looked like when it was read.
struct SearchDatabase::FileState {
    qint64 size = -1;
    qint64 modifiedNs = 0;

    static std::optional<FileState> of(const QString& path) {
        struct stat info {};
        if (::stat(QFile::encodeName(path).constData(), &info) != 0 || !S_ISREG(info.st_mode))
            return std::nullopt;
        return FileState{static_cast<qint64>(info.st_size),
                         static_cast<qint64>(info.st_mtim.tv_sec) * 1'000'000'000 + info.st_mtim.tv_nsec};
    }
};

SearchDatabase::SearchDatabase(QString indexPath, QString outputDirectory)
    : indexPath_(std::move(indexPath)), outputDirectory_(QDir::cleanPath(outputDirectory)),
      connectionName_(uniqueConnectionName()) {}

SearchDatabase::~SearchDatabase() { close(); }

void SearchDatabase::close() {
    if (!QSqlDatabase::contains(connectionName_))
        return;
    {
        QSqlDatabase db = QSqlDatabase::database(connectionName_, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(connectionName_);
    open_ = false;
}

bool SearchDatabase::open(QString* error) {
    setAside_.reset();
    if (openAt(error))
        return true;
    // Whatever is there is not an index we can use: it is only a cache, so start again.
    setAside();
    return openAt(error);
}

bool SearchDatabase::openAt(QString* error) {
    close();
    const QFileInfo info(indexPath_);
    if (!QDir().mkpath(info.absolutePath())) {
        if (error)
            *error = QStringLiteral("cannot create %1").arg(info.absolutePath());
        return false;
    }
    const bool existed = info.exists();
    if (!existed) {
        // Private from the first byte: the index holds what was said in every meeting.
        QFile file(indexPath_);
        if (!file.open(QIODevice::WriteOnly) ||
            !file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner)) {
            if (error)
                *error = QStringLiteral("cannot create %1: %2").arg(indexPath_, file.errorString());
            return false;
        }
    }
    {
        // No handle may outlive this block: close() removes the connection.
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connectionName_);
        db.setDatabaseName(indexPath_);
        open_ = db.open();
        if (!open_ && error)
            *error = db.lastError().text();
    }
    if (!open_) {
        close();
        return false;
    }
    const bool ready = exec(QStringLiteral("PRAGMA journal_mode=WAL")) &&
                       exec(QStringLiteral("PRAGMA journal_size_limit=4194304")) &&
                       exec(QStringLiteral("PRAGMA synchronous=NORMAL")) &&
                       (hasExpectedMeta() || ((!existed || QFileInfo(indexPath_).size() == 0) && createSchema()));
    if (!ready) {
        if (error)
            *error = QStringLiteral("%1 is not a search index of %2").arg(indexPath_, outputDirectory_);
        close();
        return false;
    }
    return true;
}

void SearchDatabase::setAside() {
    close();
    const QString aside = indexPath_ + QStringLiteral(".bad");
    QFile::remove(aside);
    for (const QString& suffix : {QStringLiteral("-wal"), QStringLiteral("-shm")})
        QFile::remove(indexPath_ + suffix);
    if (QFile::exists(indexPath_) && !QFile::rename(indexPath_, aside)) {
        QFile::remove(indexPath_);
        qCWarning(lcSearch, "Unusable search index removed: %s", qUtf8Printable(indexPath_));
        return;
    }
    if (QFile::exists(aside)) {
        setAside_ = aside;
        qCWarning(lcSearch, "Unusable search index set aside as %s; building a new one", qUtf8Printable(aside));
    }
}

bool SearchDatabase::exec(const QString& sql) {
    QSqlQuery query(QSqlDatabase::database(connectionName_, false));
    if (query.exec(sql))
        return true;
    qCDebug(lcSearch, "%s: %s", qUtf8Printable(sql), qUtf8Printable(query.lastError().text()));
    return false;
}

bool SearchDatabase::hasExpectedMeta() {
    QSqlQuery query(QSqlDatabase::database(connectionName_, false));
    if (!query.exec(QStringLiteral("SELECT key, value FROM meta")))
        return false;
    QHash<QString, QString> meta;
    while (query.next())
        meta.insert(query.value(0).toString(), query.value(1).toString());
    return meta.value(QStringLiteral("schema")) == QString::number(schemaVersion) &&
           meta.value(QStringLiteral("directory")) == outputDirectory_;
}

bool SearchDatabase::createSchema() {
    const QStringList statements = {
        QStringLiteral("CREATE TABLE meta(key TEXT PRIMARY KEY, value TEXT NOT NULL)"),
        QStringLiteral("CREATE TABLE meetings(id TEXT PRIMARY KEY, date INTEGER NOT NULL, "
                       "source TEXT NOT NULL)"),
        QStringLiteral("CREATE TABLE files(id INTEGER PRIMARY KEY, name TEXT UNIQUE NOT NULL, "
                       "meeting TEXT NOT NULL, kind INTEGER NOT NULL, size INTEGER NOT NULL, "
                       "modified INTEGER NOT NULL)"),
        // Hundreds of thousands of rows: the file by number, the time as seconds of the day.
        QStringLiteral("CREATE TABLE entries(id INTEGER PRIMARY KEY, file INTEGER NOT NULL, "
                       "ordinal INTEGER NOT NULL, speaker TEXT, time INTEGER, section TEXT, "
                       "body TEXT NOT NULL)"),
        QStringLiteral("CREATE INDEX entries_by_file ON entries(file)"),
        // Contentless: the text is kept once, in `entries`.
        QStringLiteral("CREATE VIRTUAL TABLE entries_fts USING fts5(speaker, body, content='', "
                       "tokenize='unicode61 remove_diacritics 2')"),
    };
    QSqlDatabase db = QSqlDatabase::database(connectionName_, false);
    db.transaction();
    for (const QString& statement : statements) {
        if (!exec(statement)) {
            db.rollback();
            return false;
        }
    }
    QSqlQuery meta(db);
    meta.prepare(QStringLiteral("INSERT INTO meta(key, value) VALUES (?, ?)"));
    for (const auto& [key, value] : {std::pair{QStringLiteral("schema"), QString::number(schemaVersion)},
                                     std::pair{QStringLiteral("directory"), outputDirectory_}}) {
        meta.addBindValue(key);
        meta.addBindValue(value);
        if (!meta.exec()) {
            db.rollback();
            return false;
        }
    }
    return db.commit();
}

bool SearchDatabase::run(QSqlQuery& query) {
    if (query.exec())
        return true;
    lastError_ = std::make_shared<QSqlError>(query.lastError());
    return false;
}

bool SearchDatabase::noteDamage(const QSqlError& error) {
    if (error.nativeErrorCode() != sqliteCorrupt && error.nativeErrorCode() != sqliteNotADatabase)
        return false;
    damaged_ = true;
    return true;
}

bool SearchDatabase::rebuildIfDamaged() {
    if (!std::exchange(damaged_, false))
        return true;
    setAside();
    return open();
}

void SearchDatabase::noteFailure(const QString& what, const QString& detail) {
    qCWarning(lcSearch, "Search index: %s failed: %s", qUtf8Printable(what), qUtf8Printable(detail));
}

bool SearchDatabase::removeFileEntries(const QString& name) {
    QSqlDatabase db = QSqlDatabase::database(connectionName_, false);
    QSqlQuery rows(db);
    rows.setForwardOnly(true);
    rows.prepare(QStringLiteral(
        "SELECT id, speaker, body FROM entries WHERE file = (SELECT id FROM files WHERE name = ?)"));
    rows.addBindValue(name);
    if (!run(rows))
        return false;
    // A contentless word table forgets a row only when told the words it indexed.
    QSqlQuery forget(db);
    forget.prepare(QStringLiteral(
        "INSERT INTO entries_fts(entries_fts, rowid, speaker, body) VALUES('delete', ?, ?, ?)"));
    while (rows.next()) {
        forget.addBindValue(rows.value(0));
        forget.addBindValue(SearchText::indexedForm(rows.value(1).toString()));
        forget.addBindValue(SearchText::indexedForm(rows.value(2).toString()));
        if (!run(forget))
            return false;
    }
    QSqlQuery drop(db);
    drop.prepare(QStringLiteral("DELETE FROM entries WHERE file = (SELECT id FROM files WHERE name = ?)"));
    drop.addBindValue(name);
    QSqlQuery dropFile(db);
    dropFile.prepare(QStringLiteral("DELETE FROM files WHERE name = ?"));
    dropFile.addBindValue(name);
    return run(drop) && run(dropFile);
}

bool SearchDatabase::indexFile(const QString& name, const QUuid& meeting, int kind, const QString& path,
                               const FileState& state, SyncReport& report) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        qCInfo(lcSearch, "Cannot read %s for the search index: %s", qUtf8Printable(path),
               qUtf8Printable(file.errorString()));
        return removeFileEntries(name);
    }
    // Malformed bytes become U+FFFD: a damaged file is still searchable where it is readable.
    const QString content = QString::fromUtf8(file.readAll());
    const QList<IndexedEntry> entries =
        SearchDocumentReader::read(*SearchEntryKinds::fromInt(kind), content);

    if (!removeFileEntries(name))
        return false;
    QSqlDatabase db = QSqlDatabase::database(connectionName_, false);
    QSqlQuery record(db);
    record.prepare(QStringLiteral("INSERT INTO files(name, meeting, kind, size, modified) VALUES (?, ?, ?, ?, ?)"));
    record.addBindValue(name);
    record.addBindValue(meeting.toString(QUuid::WithoutBraces).toUpper());
    record.addBindValue(kind);
    record.addBindValue(state.size);
    record.addBindValue(state.modifiedNs);
    if (!run(record))
        return false;
    const QVariant fileID = record.lastInsertId();
    QSqlQuery insert(db);
    insert.prepare(QStringLiteral("INSERT INTO entries(file, ordinal, speaker, time, section, body) "
                                  "VALUES (?, ?, ?, ?, ?, ?)"));
    QSqlQuery insertWords(db);
    insertWords.prepare(QStringLiteral("INSERT INTO entries_fts(rowid, speaker, body) VALUES (?, ?, ?)"));
    for (const IndexedEntry& entry : entries) {
        insert.addBindValue(fileID);
        insert.addBindValue(entry.ordinal);
        insert.addBindValue(entry.speaker);
        insert.addBindValue(entry.time ? QVariant(entry.time->msecsSinceStartOfDay() / 1000) : QVariant());
        insert.addBindValue(entry.section.isEmpty() ? QVariant() : QVariant(entry.section));
        insert.addBindValue(entry.text);
        if (!run(insert))
            return false;
        insertWords.addBindValue(insert.lastInsertId());
        insertWords.addBindValue(SearchText::indexedForm(entry.speaker));
        insertWords.addBindValue(SearchText::indexedForm(entry.text));
        if (!run(insertWords))
            return false;
    }
    ++report.filesIndexed;
    report.entriesIndexed += static_cast<int>(entries.size());
    return true;
}

bool SearchDatabase::syncMeetings(const QList<MeetingRecord>& records, SyncReport& report) {
    QSqlDatabase db = QSqlDatabase::database(connectionName_, false);
    QSqlQuery stored(db);
    if (!stored.exec(QStringLiteral("SELECT id, date, source FROM meetings")))
        return false;
    QHash<QString, std::pair<qint64, QString>> indexed;
    while (stored.next())
        indexed.insert(stored.value(0).toString(), {stored.value(1).toLongLong(), stored.value(2).toString()});

    QSqlQuery upsert(db);
    upsert.prepare(QStringLiteral("INSERT OR REPLACE INTO meetings(id, date, source) VALUES (?, ?, ?)"));
    for (const MeetingRecord& record : records) {
        const QString id = record.id.toString(QUuid::WithoutBraces).toUpper();
        const std::pair<qint64, QString> value{record.date.toMSecsSinceEpoch(),
                                               CaptionSources::rawValue(record.source)};
        const auto found = indexed.constFind(id);
        if (found != indexed.cend() && *found == value) {
            indexed.erase(found);
            continue;
        }
        indexed.remove(id);
        upsert.addBindValue(id);
        upsert.addBindValue(value.first);
        upsert.addBindValue(value.second);
        if (!run(upsert))
            return false;
        report.meetingsChanged = true;
    }
    // What is left was deleted from the history; its files left with the file pass.
    QSqlQuery drop(db);
    drop.prepare(QStringLiteral("DELETE FROM meetings WHERE id = ?"));
    for (auto it = indexed.cbegin(); it != indexed.cend(); ++it) {
        drop.addBindValue(it.key());
        if (!run(drop))
            return false;
        report.meetingsChanged = true;
    }
    return true;
}

SearchDatabase::SyncReport SearchDatabase::sync(const QList<MeetingRecord>& records) {
    SyncReport report;
    if (!rebuildIfDamaged() || (!open_ && !open())) {
        report.failed = true;
        return report;
    }
    struct Wanted {
        QUuid meeting;
        int kind;
        QString path;
    };
    // The files of every record, by name (all live directly in the output directory). The
    // notes and summary written beside a transcript count even before the record links them.
    QHash<QString, Wanted> wanted;
    QStringList order; // oldest meeting first, so newer entries get higher row ids
    const auto want = [&](const std::optional<QString>& path, const QUuid& meeting, SearchEntryKind kind) {
        if (!path || path->isEmpty())
            return;
        const QString name = lastComponent(*path);
        if (!wanted.contains(name)) {
            wanted.insert(name, {meeting, static_cast<int>(kind), QDir(outputDirectory_).filePath(name)});
            order.append(name);
        }
    };
    QList<MeetingRecord> oldestFirst = records;
    std::stable_sort(oldestFirst.begin(), oldestFirst.end(),
                     [](const MeetingRecord& a, const MeetingRecord& b) { return a.date < b.date; });
    for (const MeetingRecord& record : oldestFirst) {
        want(record.transcriptPath, record.id, SearchEntryKind::transcript);
        want(record.notesPath ? record.notesPath
             : record.transcriptPath ? std::optional(MeetingNotesManager::notesPath(*record.transcriptPath))
                                     : std::nullopt,
             record.id, SearchEntryKind::notes);
        want(record.summaryPath ? record.summaryPath
             : record.transcriptPath ? std::optional(summaryPathFor(*record.transcriptPath))
                                     : std::nullopt,
             record.id, SearchEntryKind::summary);
    }

    QSqlDatabase db = QSqlDatabase::database(connectionName_, false);
    const auto fail = [&](const QString& what, const QSqlError& error) {
        db.rollback();
        noteFailure(what, error.text());
        report.failed = true;
        report.indexDamaged = noteDamage(error);
        return report;
    };
    QSqlQuery indexedFiles(db);
    if (!indexedFiles.exec(QStringLiteral("SELECT name, meeting, kind, size, modified FROM files")))
        return fail(QStringLiteral("reading the indexed files"), indexedFiles.lastError());
    lastError_.reset();
    struct Indexed {
        QString meeting;
        int kind;
        FileState state;
    };
    QHash<QString, Indexed> indexed;
    while (indexedFiles.next()) {
        indexed.insert(indexedFiles.value(0).toString(),
                       {indexedFiles.value(1).toString(), indexedFiles.value(2).toInt(),
                        {indexedFiles.value(3).toLongLong(), indexedFiles.value(4).toLongLong()}});
    }
    indexedFiles.finish();

    int pending = 0;
    db.transaction();
    const auto step = [&]() -> bool {
        if (++pending < filesPerTransaction)
            return true;
        pending = 0;
        return db.commit() && db.transaction();
    };
    for (const QString& name : order) {
        const auto it = wanted.constFind(name);
        const std::optional<FileState> state = FileState::of(it->path);
        const auto known = indexed.constFind(it.key());
        const QString meeting = it->meeting.toString(QUuid::WithoutBraces).toUpper();
        if (!state)
            continue; // not on disk (yet): left for the removal pass below
        if (known != indexed.cend() && known->meeting == meeting && known->kind == it->kind &&
            known->state.size == state->size && known->state.modifiedNs == state->modifiedNs) {
            indexed.erase(known);
            continue;
        }
        indexed.remove(it.key());
        if (!indexFile(it.key(), it->meeting, it->kind, it->path, *state, report) || !step())
            return fail(QStringLiteral("indexing %1").arg(it.key()), lastError_ ? *lastError_ : db.lastError());
    }
    // Indexed files that no record names any more, or that are gone from the disk.
    for (auto it = indexed.cbegin(); it != indexed.cend(); ++it) {
        if (!removeFileEntries(it.key()) || !step())
            return fail(QStringLiteral("removing %1").arg(it.key()), lastError_ ? *lastError_ : db.lastError());
        ++report.filesRemoved;
    }
    if (!syncMeetings(records, report))
        return fail(QStringLiteral("updating the meetings"), lastError_ ? *lastError_ : db.lastError());
    if (!db.commit())
        return fail(QStringLiteral("saving the index"), lastError_ ? *lastError_ : db.lastError());
    // After a large build, one merged word index answers faster than many small segments.
    if (report.filesIndexed >= filesBeforeOptimizing)
        exec(QStringLiteral("INSERT INTO entries_fts(entries_fts) VALUES('optimize')"));
    if (report.changed())
        exec(QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"));
    return report;
}

SearchOutcome SearchDatabase::search(const SearchQuery& query, int limit) {
    SearchOutcome outcome;
    if (!query.isValid()) {
        outcome.error = query.error;
        return outcome;
    }
    if (!rebuildIfDamaged() || (!open_ && !open())) {
        outcome.error = QStringLiteral("The search index cannot be opened.");
        return outcome;
    }
    // Date filters must see every match; otherwise only the newest matches are ranked.
    const bool filtered = query.after || query.before;
    QString sql = QStringLiteral(
        "WITH hits AS (SELECT rowid AS id, bm25(entries_fts, 0.5, 1.0) AS score FROM entries_fts "
        "WHERE entries_fts MATCH :match ORDER BY rowid DESC%1) "
        "SELECT f.meeting, f.kind, f.name, e.ordinal, e.speaker, e.time, e.section, e.body, m.date, "
        "m.source, hits.score FROM hits JOIN entries e ON e.id = hits.id JOIN files f ON f.id = e.file "
        "JOIN meetings m ON m.id = f.meeting "
        "WHERE 1")
                      .arg(filtered ? QString() : QStringLiteral(" LIMIT %1").arg(rankingWindow));
    // Dates are the local calendar days the user types: on or after `after`, before `before`.
    const auto startOfDay = [](const QDate& day) { return day.startOfDay().toMSecsSinceEpoch(); };
    if (query.after)
        sql += QStringLiteral(" AND m.date >= :after");
    if (query.before)
        sql += QStringLiteral(" AND m.date < :before");
    // Relevance first; entries about as relevant come newest first.
    sql += QStringLiteral(" ORDER BY round(hits.score, 1), m.date DESC, f.name, e.ordinal LIMIT :limit");

    QSqlQuery select(QSqlDatabase::database(connectionName_, false));
    select.setForwardOnly(true);
    select.prepare(sql);
    select.bindValue(QStringLiteral(":match"), query.matchExpression());
    if (query.after)
        select.bindValue(QStringLiteral(":after"), startOfDay(*query.after));
    if (query.before)
        select.bindValue(QStringLiteral(":before"), startOfDay(*query.before));
    select.bindValue(QStringLiteral(":limit"), std::max(0, limit));
    if (!select.exec()) {
        const QSqlError error = select.lastError();
        noteFailure(QStringLiteral("search"), error.text());
        if (noteDamage(error)) {
            outcome.error = QStringLiteral("The search index was damaged and is being rebuilt.");
        } else {
            outcome.error = QStringLiteral("The search could not run.");
        }
        return outcome;
    }
    while (select.next()) {
        SearchResult result;
        result.meetingID = QUuid::fromString(select.value(0).toString());
        result.kind = SearchEntryKinds::fromInt(select.value(1).toInt()).value_or(SearchEntryKind::transcript);
        result.filePath = QDir(outputDirectory_).filePath(select.value(2).toString());
        result.ordinal = select.value(3).toInt();
        result.speaker = select.value(4).toString();
        if (!select.value(5).isNull())
            result.time = QTime(0, 0).addSecs(select.value(5).toInt());
        result.section = select.value(6).toString();
        result.snippet = SearchSnippet::make(select.value(7).toString(), query.terms);
        result.meetingDate = QDateTime::fromMSecsSinceEpoch(select.value(8).toLongLong(), Qt::UTC);
        result.source = CaptionSources::fromRawValue(select.value(9).toString()).value_or(CaptionSource::teams);
        result.score = select.value(10).toDouble();
        outcome.results.append(result);
    }
    return outcome;
}

QStringList SearchDatabase::dump() const {
    QStringList rows;
    QSqlQuery query(QSqlDatabase::database(connectionName_, false));
    query.exec(QStringLiteral("SELECT f.name, f.meeting, f.kind, e.ordinal, e.speaker, e.time, e.section, "
                              "e.body, m.date, m.source FROM entries e JOIN files f ON f.id = e.file "
                              "LEFT JOIN meetings m ON m.id = f.meeting ORDER BY f.name, e.ordinal"));
    while (query.next()) {
        QStringList fields;
        for (int i = 0; i < 10; ++i)
            fields.append(query.value(i).toString());
        rows.append(fields.join(QLatin1Char('|')));
    }
    return rows;
}

int SearchDatabase::entryCount() const {
    QSqlQuery query(QSqlDatabase::database(connectionName_, false));
    if (!query.exec(QStringLiteral("SELECT count(*) FROM entries")) || !query.next())
        return 0;
    return query.value(0).toInt();
}

} // namespace velmora
