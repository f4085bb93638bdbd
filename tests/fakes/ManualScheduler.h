#pragma once

#include "capture/Scheduler.h"

#include <map>
#include <utility>

namespace velmora {

// Virtual time: nothing happens until the test advances the clock; then everything that falls
// due runs in time order (ties in the order scheduled), including timers scheduled meanwhile.
class ManualScheduler final : public Scheduler {
public:
    TimerId schedule(Duration delay, std::function<void()> callback) override;
    void cancel(TimerId id) override;
    Duration elapsed() const override { return now_; }

    void advance(Duration by);
    void runDue() { advance(Duration::zero()); }
    // Advances in steps until `done` holds or `limit` has passed; returns `done()`.
    bool advanceUntil(const std::function<bool()>& done, Duration limit, Duration step = Duration(100));
    std::size_t pendingCount() const { return timers_.size(); }

private:
    using Key = std::pair<Duration, TimerId>;
    std::map<Key, std::function<void()>> timers_;
    std::map<TimerId, Key> keys_;
    Duration now_{0};
    TimerId nextId_ = 1;
};

} // namespace velmora
