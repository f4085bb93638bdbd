#pragma once

#include <QDateTime>
#include <QString>

namespace velmora {

// Date and duration texts of the meeting lists and headers, in the current time zone and
// locale.
namespace MeetingFormatters {

// "Today, 14:05", "Yesterday, 23:59" or "Fri, Jan 31, 14:05".
QString formatDate(const QDateTime& date, const QDateTime& now);
// "1 min" (at least), "59 min", "1h", "1h 2 min". Not finite counts as 0.
QString formatDuration(double seconds);
// "HH:mm" of the meeting's start.
QString formatTime(const QDateTime& date);
// The day a meeting belongs to, "yyyy-MM-dd" in the current time zone.
QString dayKey(const QDateTime& date);
// "Today", "Yesterday" or the day in the locale's medium style ("Jan 31, 2026").
QString dayTitle(const QDateTime& date, const QDateTime& now);

} // namespace MeetingFormatters

} // namespace velmora
