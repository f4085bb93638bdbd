#include "capture/PlainTextFormatter.h"

namespace velmora {

QString PlainTextFormatter::formatHeader(const QDateTime& date, const QDateTime& startTime) const {
    return QStringLiteral("Date: ") + formatDate(date) + QStringLiteral(" | Start: ") +
           formatTime(startTime) + QStringLiteral(" | End: --:--:-- | Duration: --:--:--\n");
}

QString PlainTextFormatter::formatEntry(const CaptionEntry& entry, bool isNewSpeaker) const {
    QString text;
    if (isNewSpeaker)
        text += u'\n';
    text += u'[' + formatTime(entry.timestamp) + QStringLiteral("] ") + singleLine(entry.speaker) +
            QStringLiteral(": ") + singleLine(entry.text) + u'\n';
    return text;
}

QString PlainTextFormatter::formatFinalization(const QString& content, const QDateTime& endTime,
                                               double duration) const {
    // The header is the first line.
    return replaceInHeader(
        content, content.indexOf(u'\n'),
        {{QStringLiteral("End: --:--:--"), QStringLiteral("End: ") + formatTime(endTime)},
         {QStringLiteral("Duration: --:--:--"),
          QStringLiteral("Duration: ") + formatDuration(duration)}});
}

} // namespace velmora
