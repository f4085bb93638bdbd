#pragma once

#include <QStringList>

namespace velmora {

// What one summarising pass gives: the three lists a model (or the extractive engine) fills.
struct PartialSummary {
    QStringList topics;
    QStringList actionItems;
    QStringList decisions;

    bool isEmpty() const { return topics.isEmpty() && actionItems.isEmpty() && decisions.isEmpty(); }
    // Appends the other's lists to these, in order, duplicates kept.
    void append(const PartialSummary& other) {
        topics += other.topics;
        actionItems += other.actionItems;
        decisions += other.decisions;
    }
    bool operator==(const PartialSummary&) const = default;
};

} // namespace velmora
