#pragma once

#include "library/MeetingHistoryProvider.h"

namespace velmora {

// An in-memory history, newest first, that counts what it is asked to do.
class FakeMeetingHistory final : public MeetingHistoryProvider {
public:
    QList<MeetingRecord> stored;
    int watchStarts = 0;
    int watchStops = 0;
    std::function<void()> onRecordsChanged;

    QList<MeetingRecord> records() const override { return stored; }
    void setOnRecordsChanged(std::function<void()> callback) override {
        onRecordsChanged = std::move(callback);
    }
    void addRecord(const MeetingRecord& record) override { stored.prepend(record); }
    void updateRecord(const MeetingRecord& record) override {
        for (MeetingRecord& existing : stored) {
            if (existing.id == record.id)
                existing = record;
        }
    }
    void deleteRecord(const MeetingRecord& record) override {
        stored.erase(std::remove_if(stored.begin(), stored.end(),
                                    [&](const MeetingRecord& r) { return r.id == record.id; }),
                     stored.end());
        if (onRecordsChanged)
            onRecordsChanged();
    }
    void startWatching() override { ++watchStarts; }
    void stopWatching() override { ++watchStops; }
};

} // namespace velmora
