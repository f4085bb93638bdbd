#include "capture/TranscriptFormatter.h"

#include <QLocale>

#include <algorithm>
#include <cmath>
#include <limits>

namespace velmora {

QString TranscriptFormatter::formatDuration(double seconds) {
    qint64 total = 0;
    if (std::isfinite(seconds) && seconds > 0) {
        // 2^63 is exactly representable; anything at or above it does not fit.
        total = seconds >= 9223372036854775808.0 ? std::numeric_limits<qint64>::max()
                                                 : static_cast<qint64>(seconds);
    }
    return QString::asprintf("%02lld:%02lld:%02lld", total / 3600, (total % 3600) / 60,
                             total % 60);
}

QString TranscriptFormatter::formatDate(const QDateTime& date) {
    return QLocale::c().toString(date.toLocalTime(), u"yyyy-MM-dd");
}

QString TranscriptFormatter::formatTime(const QDateTime& time) {
    return QLocale::c().toString(time.toLocalTime(), u"HH:mm:ss");
}

QString TranscriptFormatter::singleLine(const QString& text) {
    const auto breaksLine = [](QChar c) {
        return c.category() == QChar::Other_Control || c == QChar::LineSeparator ||
               c == QChar::ParagraphSeparator;
    };
    if (std::none_of(text.cbegin(), text.cend(), breaksLine))
        return text;
    QString flat = text;
    std::replace_if(flat.begin(), flat.end(), breaksLine, QChar(u' '));
    return flat;
}

QString TranscriptFormatter::replaceInHeader(
    const QString& content, qsizetype headerEnd,
    const QList<std::pair<QString, QString>>& replacements) {
    if (headerEnd < 0)
        headerEnd = content.size();
    QString header = content.left(headerEnd);
    for (const auto& [placeholder, value] : replacements)
        header.replace(placeholder, value);
    header += QStringView(content).mid(headerEnd);
    return header;
}

} // namespace velmora
