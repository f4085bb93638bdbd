#pragma once

#include "library/MeetingRecord.h"

#include <QDir>
#include <QFile>
#include <QString>
#include <QTimeZone>
#include <QUuid>

#include <utility>
#include <vector>

namespace velmora::searchtest {

inline void writeFile(const QString& path, const QByteArray& content) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        qFatal("cannot write %s", qPrintable(path));
    file.write(content);
}

inline void appendFile(const QString& path, const QByteArray& content) {
    QFile file(path);
    if (!file.open(QIODevice::Append))
        qFatal("cannot append to %s", qPrintable(path));
    file.write(content);
}

struct Said {
    QString time; // "HH:mm:ss"
    QString speaker;
    QString text;
};

// A transcript as the Markdown writer lays it out.
inline QByteArray markdownTranscript(const std::vector<Said>& lines) {
    QString out = QStringLiteral("# Meeting Transcript\n\n**Date:** 2026-03-14\n**Start:** 09:30:05\n"
                                 "**End:** --:--:--\n**Duration:** --:--:--\n\n---\n\n");
    QString last;
    for (const Said& said : lines) {
        if (said.speaker != last)
            out += QStringLiteral("**[%1] %2:**\n\n").arg(said.time, said.speaker);
        out += said.text + QStringLiteral("\n\n");
        last = said.speaker;
    }
    return out.toUtf8();
}

inline MeetingRecord meeting(int number, const QString& directory, const QString& transcript,
                             const QDateTime& date = QDateTime(QDate(2026, 3, 14), QTime(9, 30), QTimeZone::utc())) {
    MeetingRecord record;
    record.id = QUuid::fromString(QStringLiteral("00000000-0000-0000-0000-%1").arg(number, 12, 10, QLatin1Char('0')));
    record.date = date;
    record.duration = 1800;
    record.source = CaptionSource::browserMeet;
    record.transcriptPath = QDir(directory).filePath(transcript);
    return record;
}

} // namespace velmora::searchtest
