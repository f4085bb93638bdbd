#pragma once

#include "capture/CaptionEntry.h"

#include <QDateTime>
#include <QList>
#include <QString>

#include <utility>

namespace velmora {

// One transcript file format: the header of a new file, the text appended per entry, and the
// header's end time and duration filled in at the end. Formatters are stateless.
class TranscriptFormatter {
public:
    virtual ~TranscriptFormatter() = default;

    // Without the dot.
    virtual QString fileExtension() const = 0;
    virtual QString formatHeader(const QDateTime& date, const QDateTime& startTime) const = 0;
    // `isNewSpeaker`: the speaker differs from that of the entry written before it in the same
    // file, or this is the file's first entry.
    virtual QString formatEntry(const CaptionEntry& entry, bool isNewSpeaker) const = 0;
    // The whole content with the header's end-time and duration placeholders filled in.
    virtual QString formatFinalization(const QString& content, const QDateTime& endTime,
                                       double duration) const = 0;

    // "HH:mm:ss" of a number of seconds, truncated; hours are not wrapped at 24. Negative and
    // non-finite values (a clock set back during a meeting) give 00:00:00.
    static QString formatDuration(double seconds);

protected:
    // Fixed patterns in the local time zone with ASCII digits, whatever the user's locale.
    static QString formatDate(const QDateTime& date);
    static QString formatTime(const QDateTime& time);
    // Speaker names and caption texts are written on one line: line breaks and other control
    // characters become one space each, so a caption cannot break the file's structure.
    static QString singleLine(const QString& text);
    // Replaces the placeholders only in `header`, the part of `content` before the first
    // entry, so that a caption quoting a placeholder is kept as it was spoken.
    static QString replaceInHeader(const QString& content, qsizetype headerEnd,
                                   const QList<std::pair<QString, QString>>& replacements);
};

} // namespace velmora
