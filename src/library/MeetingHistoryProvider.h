#pragma once

#include "library/MeetingRecord.h"

#include <QList>

#include <functional>

namespace velmora {

// The persistent list of meetings, newest first. Main thread only.
class MeetingHistoryProvider {
public:
    virtual ~MeetingHistoryProvider() = default;

    virtual QList<MeetingRecord> records() const = 0;
    // Called on the main thread after a deletion and after validation changed the list.
    virtual void setOnRecordsChanged(std::function<void()> callback) = 0;
    virtual void addRecord(const MeetingRecord& record) = 0;
    // Replaces the record with the same id; unknown ids are ignored.
    virtual void updateRecord(const MeetingRecord& record) = 0;
    // Removes the record and deletes its transcript, summary and notes files.
    virtual void deleteRecord(const MeetingRecord& record) = 0;
    virtual void startWatching() = 0;
    virtual void stopWatching() = 0;
};

} // namespace velmora
