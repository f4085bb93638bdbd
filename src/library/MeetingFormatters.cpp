#include "library/MeetingFormatters.h"

#include <QLocale>

#include <algorithm>

#include <cmath>
#include <limits>

namespace velmora::MeetingFormatters {

namespace {

enum class Day { today, yesterday, other };

Day relativeDay(const QDateTime& date, const QDateTime& now) {
    const QDate day = date.toLocalTime().date();
    const QDate today = now.toLocalTime().date();
    if (day == today)
        return Day::today;
    if (day == today.addDays(-1))
        return Day::yesterday;
    return Day::other;
}

} // namespace

QString formatTime(const QDateTime& date) {
    return date.toLocalTime().toString(QStringLiteral("HH:mm"));
}

QString formatDate(const QDateTime& date, const QDateTime& now) {
    const QString time = formatTime(date);
    switch (relativeDay(date, now)) {
    case Day::today: return QStringLiteral("Today, ") + time;
    case Day::yesterday: return QStringLiteral("Yesterday, ") + time;
    case Day::other: break;
    }
    return QLocale().toString(date.toLocalTime().date(), QStringLiteral("ddd, MMM d")) +
           QStringLiteral(", ") + time;
}

QString formatDuration(double seconds) {
    // Beyond real meetings (or not a number at all) the text stays sane rather than overflowing.
    constexpr double limit = double(std::numeric_limits<qint64>::max() / 2);
    if (!std::isfinite(seconds))
        seconds = 0;
    const qint64 t = qint64(std::trunc(std::clamp(seconds, -limit, limit)));
    const qint64 hours = t / 3600;
    const qint64 minutes = (t / 60) % 60;
    if (t >= 3600 || t <= -3600) {
        if (minutes == 0)
            return QString::number(hours) + QStringLiteral("h");
        return QStringLiteral("%1h %2 min").arg(hours).arg(minutes);
    }
    return QString::number(std::max<qint64>(minutes, 1)) + QStringLiteral(" min");
}

QString dayKey(const QDateTime& date) {
    return date.toLocalTime().toString(QStringLiteral("yyyy-MM-dd"));
}

QString dayTitle(const QDateTime& date, const QDateTime& now) {
    switch (relativeDay(date, now)) {
    case Day::today: return QStringLiteral("Today");
    case Day::yesterday: return QStringLiteral("Yesterday");
    case Day::other: break;
    }
    return QLocale().toString(date.toLocalTime().date(), QStringLiteral("MMM d, yyyy"));
}

} // namespace velmora::MeetingFormatters
