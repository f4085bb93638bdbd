#include "library/MeetingHistoryManager.h"

#include "capture/SerialQueue.h"
#include "library/Logging.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QSet>
#include <QTimeZone>
#include <QUrl>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>

#include <dirent.h>

namespace velmora {

namespace {

// Dates are stored as seconds since 2001-01-01 00:00:00 UTC.
constexpr qint64 referenceEpochMs = 978307200000LL;
// Far beyond any meeting, and well inside what QDateTime and a qint64 of milliseconds hold.
constexpr double maxAbsoluteSeconds = 1e11;

QString lastComponent(const QString& path) { return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1); }

void appendNumber(QByteArray& out, double value) {
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    out.append(buffer, result.ptr - buffer);
}

void appendString(QByteArray& out, const QString& value) {
    out.append('"');
    for (const char c : value.toUtf8()) {
        switch (c) {
        case '"': out.append("\\\""); break;
        case '\\': out.append("\\\\"); break;
        case '\n': out.append("\\n"); break;
        case '\r': out.append("\\r"); break;
        case '\t': out.append("\\t"); break;
        case '\b': out.append("\\b"); break;
        case '\f': out.append("\\f"); break;
        default:
            if (static_cast<unsigned char>(c) < 0x20) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
                out.append(escaped);
            } else {
                out.append(c);
            }
        }
    }
    out.append('"');
}

void appendPath(QByteArray& out, const char* key, const std::optional<QString>& path) {
    if (!path)
        return;
    out.append(",\"").append(key).append("\":");
    appendString(out, lastComponent(*path));
}

bool fileExists(const QString& path) {
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

// The names in one directory, read at once: one listing costs far less than a lookup per
// file in a history of thousands of meetings. Falls back to lookups when it cannot be listed.
class DirectoryListing {
public:
    explicit DirectoryListing(const QString& directory) {
        DIR* dir = ::opendir(QFile::encodeName(directory).constData());
        if (!dir)
            return;
        names_.emplace();
        while (const dirent* entry = ::readdir(dir))
            names_->insert(QFile::decodeName(entry->d_name));
        ::closedir(dir);
    }

    // `path` is a file directly in the listed directory.
    bool contains(const QString& path) const {
        return names_ ? names_->contains(lastComponent(path)) : fileExists(path);
    }

private:
    std::optional<QSet<QString>> names_;
};

std::optional<QString> optionalPath(const QJsonObject& object, QLatin1String key,
                                    const QString& directory, bool& typeOk) {
    const QJsonValue value = object.value(key);
    if (value.isUndefined() || value.isNull())
        return std::nullopt;
    if (!value.isString()) {
        typeOk = false;
        return std::nullopt;
    }
    return MeetingHistoryManager::resolveFilename(value.toString(), directory);
}

} // namespace

MeetingHistoryManager::MeetingHistoryManager(const QString& directory,
                                             std::unique_ptr<SerialExecutor> saveQueue,
                                             QObject* parent)
    : QObject(parent), directory_(QDir::cleanPath(directory)),
      filePath_(QDir(directory_).filePath(QLatin1String(historyFileName))),
      saveQueue_(saveQueue ? std::move(saveQueue)
                           : std::make_unique<SerialQueue>(QStringLiteral("history-save"))) {
    QString error;
    if (auto loaded = loadRecords(filePath_, directory_, error)) {
        records_ = std::move(*loaded);
    } else {
        // Never overwrite a history we could not read: move it out of the way first.
        unreadableFilePending_ = true;
        if (const auto aside = setAsideUnreadableFile()) {
            qCWarning(lcHistory, "Failed to load meeting history: %s; kept it as %s",
                      qUtf8Printable(error), qUtf8Printable(*aside));
        } else {
            qCWarning(lcHistory,
                      "Failed to load meeting history: %s; it could not be moved aside, so the "
                      "history is not saved until it can be",
                      qUtf8Printable(error));
        }
    }
    validateRecordsImpl(false);
}

MeetingHistoryManager::~MeetingHistoryManager() { stopWatching(); }

void MeetingHistoryManager::setOnRecordsChanged(std::function<void()> callback) {
    onRecordsChanged_ = std::move(callback);
}

std::optional<QString> MeetingHistoryManager::resolveFilename(const std::optional<QString>& stored,
                                                              const QString& directory) {
    if (!stored)
        return std::nullopt;
    QString name = lastComponent(*stored);
    if (stored->startsWith(QLatin1String("file://"))) {
        const QUrl url(*stored);
        if (url.isValid())
            name = lastComponent(url.path());
    }
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String("..") ||
        name.contains(QChar::Null))
        return std::nullopt;
    return directory.endsWith(QLatin1Char('/')) ? directory + name
                                                : directory + QLatin1Char('/') + name;
}

QByteArray MeetingHistoryManager::encode(const QList<MeetingRecord>& records, bool* ok) {
    QByteArray out;
    out.reserve(records.size() * 160 + 2);
    out.append('[');
    bool valid = true;
    for (qsizetype i = 0; i < records.size(); ++i) {
        const MeetingRecord& record = records.at(i);
        const double date = record.date.isValid()
                                ? (record.date.toMSecsSinceEpoch() - referenceEpochMs) / 1000.0
                                : NAN;
        if (!std::isfinite(date) || !std::isfinite(record.duration))
            valid = false;
        if (i > 0)
            out.append(',');
        out.append("{\"id\":\"");
        out.append(record.id.toString(QUuid::WithoutBraces).toUpper().toLatin1());
        out.append("\",\"date\":");
        appendNumber(out, date);
        out.append(",\"duration\":");
        appendNumber(out, record.duration);
        out.append(",\"source\":");
        appendString(out, CaptionSources::rawValue(record.source));
        appendPath(out, "transcriptPath", record.transcriptPath);
        appendPath(out, "summaryPath", record.summaryPath);
        appendPath(out, "notesPath", record.notesPath);
        out.append('}');
    }
    out.append(']');
    if (ok)
        *ok = valid;
    return out;
}

std::optional<QList<MeetingRecord>> MeetingHistoryManager::decode(const QByteArray& json,
                                                                  const QString& directory,
                                                                  QString& error) {
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(json, &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        error = QStringLiteral("%1 at offset %2").arg(parseError.errorString()).arg(parseError.offset);
        return std::nullopt;
    }
    if (!document.isArray()) {
        error = QStringLiteral("the top level is not an array");
        return std::nullopt;
    }
    const QJsonArray array = document.array();
    QList<MeetingRecord> records;
    records.reserve(array.size());
    for (qsizetype i = 0; i < array.size(); ++i) {
        const auto fail = [&](const QString& what) {
            error = QStringLiteral("record %1: %2").arg(i).arg(what);
            return std::nullopt;
        };
        const QJsonValue element = array.at(i);
        if (!element.isObject())
            return fail(QStringLiteral("not an object"));
        const QJsonObject object = element.toObject();

        MeetingRecord record;
        const QJsonValue id = object.value(QLatin1String("id"));
        const QString idText = id.toString();
        if (!id.isString() || idText.size() != 36 || (record.id = QUuid::fromString(idText)).isNull())
            return fail(QStringLiteral("\"id\" is not a UUID"));

        const QJsonValue date = object.value(QLatin1String("date"));
        if (!date.isDouble() || std::fabs(date.toDouble()) > maxAbsoluteSeconds)
            return fail(QStringLiteral("\"date\" is not a number of seconds"));
        record.date = QDateTime::fromMSecsSinceEpoch(
            std::llround(date.toDouble() * 1000.0) + referenceEpochMs, QTimeZone::utc());

        const QJsonValue duration = object.value(QLatin1String("duration"));
        if (!duration.isDouble())
            return fail(QStringLiteral("\"duration\" is not a number"));
        record.duration = duration.toDouble();

        const QJsonValue sourceValue = object.value(QLatin1String("source"));
        const auto source = CaptionSources::fromRawValue(sourceValue.toString());
        if (!sourceValue.isString() || !source)
            return fail(QStringLiteral("\"source\" is not a known caption source"));
        record.source = *source;

        bool pathsOk = true;
        record.transcriptPath = optionalPath(object, QLatin1String("transcriptPath"), directory, pathsOk);
        record.summaryPath = optionalPath(object, QLatin1String("summaryPath"), directory, pathsOk);
        record.notesPath = optionalPath(object, QLatin1String("notesPath"), directory, pathsOk);
        if (!pathsOk)
            return fail(QStringLiteral("a path is not a string"));
        records.append(std::move(record));
    }
    return records;
}

std::optional<QList<MeetingRecord>> MeetingHistoryManager::loadRecords(const QString& filePath,
                                                                       const QString& directory,
                                                                       QString& error) {
    QFile file(filePath);
    if (!fileExists(filePath))
        return QList<MeetingRecord>();
    if (!file.open(QIODevice::ReadOnly)) {
        error = file.errorString();
        return std::nullopt;
    }
    auto records = decode(file.readAll(), directory, error);
    if (records) {
        std::stable_sort(records->begin(), records->end(),
                         [](const MeetingRecord& a, const MeetingRecord& b) { return a.date > b.date; });
    }
    return records;
}

std::optional<QString> MeetingHistoryManager::setAsideUnreadableFile() {
    if (!fileExists(filePath_)) {
        unreadableFilePending_ = false;
        return std::nullopt;
    }
    const QString base = filePath_ + QStringLiteral(".corrupt-") +
                         QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString target = base;
    for (int n = 2; fileExists(target); ++n)
        target = base + QLatin1Char('-') + QString::number(n);
    if (!QDir().rename(filePath_, target))
        return std::nullopt;
    unreadableFilePending_ = false;
    return QFileInfo(target).fileName();
}

MeetingRecord MeetingHistoryManager::confined(MeetingRecord record) const {
    record.transcriptPath = resolveFilename(record.transcriptPath, directory_);
    record.summaryPath = resolveFilename(record.summaryPath, directory_);
    record.notesPath = resolveFilename(record.notesPath, directory_);
    return record;
}

void MeetingHistoryManager::addRecord(const MeetingRecord& record) {
    records_.append(confined(record));
    std::stable_sort(records_.begin(), records_.end(),
                     [](const MeetingRecord& a, const MeetingRecord& b) { return a.date > b.date; });
    save();
}

void MeetingHistoryManager::updateRecord(const MeetingRecord& record) {
    const auto found = std::find_if(records_.begin(), records_.end(),
                                    [&](const MeetingRecord& r) { return r.id == record.id; });
    if (found == records_.end())
        return;
    *found = confined(record);
    save();
}

void MeetingHistoryManager::deleteRecord(const MeetingRecord& record) {
    if (records_.removeIf([&](const MeetingRecord& r) { return r.id == record.id; }) == 0)
        return;
    // The caller's copy names the files, but only ever inside our directory.
    const MeetingRecord target = confined(record);
    for (const auto& path : {target.transcriptPath, target.summaryPath, target.notesPath}) {
        if (!path)
            continue;
        QFile file(*path);
        if (!file.remove()) {
            qCWarning(lcHistory, "Failed to delete file: %s: %s",
                      qUtf8Printable(QFileInfo(*path).fileName()), qUtf8Printable(file.errorString()));
        }
    }
    save();
    if (onRecordsChanged_)
        onRecordsChanged_();
}

void MeetingHistoryManager::validateRecordsImpl(bool notify) {
    if (records_.isEmpty())
        return;
    const DirectoryListing listing(directory_);
    bool changed = false;
    QList<MeetingRecord> validated;
    validated.reserve(records_.size());
    for (const MeetingRecord& record : std::as_const(records_)) {
        if (record.transcriptPath && !listing.contains(*record.transcriptPath)) {
            qCInfo(lcHistory, "Transcript missing, removing record: %s",
                   qUtf8Printable(lastComponent(*record.transcriptPath)));
            changed = true;
            continue;
        }
        MeetingRecord copy = record;
        if (copy.summaryPath && !listing.contains(*copy.summaryPath)) {
            qCInfo(lcHistory, "Summary missing, clearing summaryPath: %s",
                   qUtf8Printable(lastComponent(*copy.summaryPath)));
            copy.summaryPath.reset();
            changed = true;
        }
        if (copy.notesPath && !listing.contains(*copy.notesPath)) {
            qCInfo(lcHistory, "Notes missing, clearing notesPath: %s",
                   qUtf8Printable(lastComponent(*copy.notesPath)));
            copy.notesPath.reset();
            changed = true;
        }
        validated.append(std::move(copy));
    }
    if (!changed)
        return;
    records_ = std::move(validated);
    save();
    if (notify && onRecordsChanged_)
        onRecordsChanged_();
}

void MeetingHistoryManager::scheduleValidation() {
    // A save or a copy produces bursts of events; one validation answers a burst.
    if (validationQueued_)
        return;
    validationQueued_ = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            validationQueued_ = false;
            validateRecordsImpl(true);
        },
        Qt::QueuedConnection);
}

void MeetingHistoryManager::startWatching() {
    stopWatching();
    auto* watcher = new QFileSystemWatcher(this);
    if (!QFileInfo(directory_).isDir() || !watcher->addPath(directory_)) {
        delete watcher;
        qCWarning(lcHistory, "Failed to open directory for watching: %s", qUtf8Printable(directory_));
        return;
    }
    connect(watcher, &QFileSystemWatcher::directoryChanged, this, [this] { scheduleValidation(); });
    watcher_ = watcher;
    qCInfo(lcHistory, "Started watching directory: %s", qUtf8Printable(directory_));
}

void MeetingHistoryManager::stopWatching() {
    delete watcher_;
    watcher_ = nullptr;
}

void MeetingHistoryManager::save() {
    if (unreadableFilePending_)
        setAsideUnreadableFile();
    if (unreadableFilePending_) {
        qCWarning(lcHistory, "Failed to save meeting history: the unreadable %s could not be moved aside",
                  qUtf8Printable(filePath_));
        return;
    }
    // The list is shared copy-on-write: the queue encodes this snapshot while we move on.
    saveQueue_->submit(
        [snapshot = records_, path = filePath_] {
            bool ok = false;
            const QByteArray json = encode(snapshot, &ok);
            if (!ok) {
                qCWarning(lcHistory, "Failed to save meeting history: %s",
                          "a date or duration is not a finite number");
                return;
            }
            QSaveFile file(path);
            if (!file.open(QIODevice::WriteOnly) || file.write(json) != json.size() || !file.commit()) {
                qCWarning(lcHistory, "Failed to save meeting history: %s",
                          qUtf8Printable(file.errorString()));
            }
        },
        [] {});
}

} // namespace velmora
