#pragma once

#include <QStringList>

namespace velmora {

// What a meeting summary holds: four lists of items, one string per bullet (without the bullet).
struct MeetingSummary {
    QStringList topics;
    QStringList actionItems;
    QStringList decisions;
    QStringList attendees;

    bool operator==(const MeetingSummary& other) const = default;
};

} // namespace velmora
