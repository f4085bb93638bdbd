#pragma once

#include "library/MeetingRecord.h"

#include <QDateTime>
#include <QList>
#include <QString>

namespace velmora {

// The meetings of one day in the meeting list.
struct MeetingGroup {
    QString id; // the day, "yyyy-MM-dd"
    QString title; // "Today", "Yesterday" or the date
    QList<MeetingRecord> meetings;

    // Groups in order of first appearance; meetings keep their order inside a group.
    static QList<MeetingGroup> groupByDay(const QList<MeetingRecord>& meetings, const QDateTime& now);
};

} // namespace velmora
