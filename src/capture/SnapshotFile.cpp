#include "capture/SnapshotFile.h"

#include "capture/FileError.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace velmora {

namespace {

[[noreturn]] void failAt(qint64 lineNumber, const QString& problem) {
    throw FileError(QStringLiteral("line %1: %2").arg(lineNumber).arg(problem));
}

QString stringField(const QJsonObject& object, const QString& name, const QString& where,
                    qint64 lineNumber) {
    const QJsonValue value = object.value(name);
    if (value.isUndefined())
        failAt(lineNumber, QStringLiteral("%1lacks the field \"%2\"").arg(where, name));
    if (!value.isString())
        failAt(lineNumber, QStringLiteral("%1field \"%2\" is not a string").arg(where, name));
    return value.toString();
}

} // namespace

SnapshotFile::SnapshotFile(QString path) : file_(std::move(path)) {}

void SnapshotFile::open() {
    if (!file_.open(QIODevice::ReadOnly)) {
        throw FileError(QStringLiteral("cannot read %1: %2")
                            .arg(QDir::toNativeSeparators(file_.fileName()), file_.errorString()));
    }
    lineNumber_ = 0;
}

std::optional<RecordedSnapshot> SnapshotFile::next() {
    if (file_.atEnd())
        return std::nullopt;
    QByteArray line = file_.readLine();
    if (file_.error() != QFileDevice::NoError) {
        throw FileError(QStringLiteral("cannot read %1: %2")
                            .arg(QDir::toNativeSeparators(file_.fileName()), file_.errorString()));
    }
    ++lineNumber_;
    try {
        return parseLine(line, lineNumber_);
    } catch (const FileError& error) {
        throw FileError(QDir::toNativeSeparators(file_.fileName()) + QStringLiteral(", ") +
                        error.message());
    }
}

RecordedSnapshot SnapshotFile::parseLine(const QByteArray& line, qint64 lineNumber) {
    if (line.trimmed().isEmpty())
        failAt(lineNumber, QStringLiteral("empty line, expected a JSON object"));
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(line, &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        failAt(lineNumber, QStringLiteral("not valid JSON (%1 at character %2)")
                               .arg(parseError.errorString())
                               .arg(parseError.offset + 1));
    }
    if (!document.isObject())
        failAt(lineNumber, QStringLiteral("not a JSON object"));
    const QJsonObject object = document.object();

    const QString timeText = stringField(object, QStringLiteral("time"), QString(), lineNumber);
    const QDateTime time = QDateTime::fromString(timeText, Qt::ISODateWithMs);
    if (!time.isValid()) {
        failAt(lineNumber, QStringLiteral("the time \"%1\" does not parse (expected ISO 8601 such "
                                          "as 2026-03-14T09:30:05.000+00:00)")
                               .arg(timeText));
    }
    const QJsonValue lines = object.value(QStringLiteral("lines"));
    if (lines.isUndefined())
        failAt(lineNumber, QStringLiteral("lacks the field \"lines\""));
    if (!lines.isArray())
        failAt(lineNumber, QStringLiteral("field \"lines\" is not an array"));

    RecordedSnapshot snapshot{time, {}};
    const QJsonArray array = lines.toArray();
    snapshot.entries.reserve(array.size());
    for (qsizetype i = 0; i < array.size(); ++i) {
        const QString where = QStringLiteral("lines[%1] ").arg(i);
        if (!array[i].isObject())
            failAt(lineNumber, where + QStringLiteral("is not an object"));
        const QJsonObject entry = array[i].toObject();
        snapshot.entries.append({time, stringField(entry, QStringLiteral("speaker"), where, lineNumber),
                                 stringField(entry, QStringLiteral("text"), where, lineNumber)});
    }
    return snapshot;
}

} // namespace velmora
