#include "library/MeetingGroup.h"

#include "library/MeetingFormatters.h"

#include <QHash>

namespace velmora {

QList<MeetingGroup> MeetingGroup::groupByDay(const QList<MeetingRecord>& meetings,
                                             const QDateTime& now) {
    QList<MeetingGroup> groups;
    QHash<QString, qsizetype> indexOfDay;
    for (const MeetingRecord& meeting : meetings) {
        const QString key = MeetingFormatters::dayKey(meeting.date);
        auto found = indexOfDay.constFind(key);
        if (found == indexOfDay.cend()) {
            found = indexOfDay.insert(key, groups.size());
            groups.append({key, MeetingFormatters::dayTitle(meeting.date, now), {}});
        }
        groups[*found].meetings.append(meeting);
    }
    return groups;
}

} // namespace velmora
