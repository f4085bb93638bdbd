#include "library/MeetingNotesManager.h"

#include "library/Logging.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>

namespace velmora {

QString MeetingNotesManager::notesPath(const QString& transcriptPath) {
    const QFileInfo transcript(transcriptPath);
    QString name = transcript.fileName();
    // ".md" alone is a hidden name without extension, as "a.b.md" keeps "a.b".
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot > 0)
        name.truncate(dot);
    return transcript.dir().filePath(name + QStringLiteral("-notes.md"));
}

QString MeetingNotesManager::loadNotes(const MeetingRecord& record) {
    QString path;
    if (record.notesPath) {
        path = *record.notesPath;
    } else {
        if (!record.transcriptPath)
            return {};
        path = notesPath(*record.transcriptPath);
        if (!QFileInfo::exists(path))
            return {};
    }
    QFile file(path);
    if (file.open(QIODevice::ReadOnly)) {
        QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        const QString text = decoder.decode(file.readAll());
        if (!decoder.hasError() && file.error() == QFileDevice::NoError)
            return text;
    }
    qCInfo(lcNotes, "No notes file at %s", qUtf8Printable(path));
    return {};
}

std::optional<QString> MeetingNotesManager::saveNotes(const QString& text,
                                                      const MeetingRecord& record) {
    if (!record.transcriptPath)
        return std::nullopt;
    const QString path = notesPath(*record.transcriptPath);
    QSaveFile file(path);
    const QByteArray bytes = text.toUtf8();
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        qCWarning(lcNotes, "Failed to save notes: %s", qUtf8Printable(file.errorString()));
        return std::nullopt;
    }
    return path;
}

} // namespace velmora
