#include "capture/MarkdownFormatter.h"

namespace velmora {

QString MarkdownFormatter::formatHeader(const QDateTime& date, const QDateTime& startTime) const {
    return QStringLiteral("# Meeting Transcript\n\n**Date:** ") + formatDate(date) +
           QStringLiteral("\n**Start:** ") + formatTime(startTime) +
           QStringLiteral("\n**End:** --:--:--\n**Duration:** --:--:--\n\n---\n\n");
}

QString MarkdownFormatter::formatEntry(const CaptionEntry& entry, bool isNewSpeaker) const {
    QString text;
    if (isNewSpeaker) {
        text += QStringLiteral("**[") + formatTime(entry.timestamp) + QStringLiteral("] ") +
                singleLine(entry.speaker) + QStringLiteral(":**\n\n");
    }
    text += singleLine(entry.text) + QStringLiteral("\n\n");
    return text;
}

QString MarkdownFormatter::formatFinalization(const QString& content, const QDateTime& endTime,
                                              double duration) const {
    // The header ends at its horizontal rule, the first one in the file.
    return replaceInHeader(content, content.indexOf(u"\n---\n"),
                           {{QStringLiteral("**End:** --:--:--"),
                             QStringLiteral("**End:** ") + formatTime(endTime)},
                            {QStringLiteral("**Duration:** --:--:--"),
                             QStringLiteral("**Duration:** ") + formatDuration(duration)}});
}

} // namespace velmora
