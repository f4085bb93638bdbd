#pragma once

#include <QHashFunctions>
#include <QUuid>

#include <optional>

namespace velmora {

// What the main window's detail area shows: one meeting, or the settings page.
class MeetingSelection {
public:
    static MeetingSelection record(const QUuid& id) { return MeetingSelection(id); }
    static MeetingSelection settings() { return MeetingSelection(std::nullopt); }

    bool isSettings() const { return !recordId_; }
    std::optional<QUuid> recordId() const { return recordId_; }

    bool operator==(const MeetingSelection& other) const = default;

private:
    explicit MeetingSelection(std::optional<QUuid> id) : recordId_(id) {}
    std::optional<QUuid> recordId_;
};

inline size_t qHash(const MeetingSelection& selection, size_t seed = 0) {
    return selection.recordId() ? qHash(*selection.recordId(), seed) : seed;
}

} // namespace velmora
