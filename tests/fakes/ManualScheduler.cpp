#include "fakes/ManualScheduler.h"

namespace velmora {

Scheduler::TimerId ManualScheduler::schedule(Duration delay, std::function<void()> callback) {
    const TimerId id = nextId_++;
    const Key key{now_ + std::max(delay, Duration::zero()), id};
    timers_.emplace(key, std::move(callback));
    keys_.emplace(id, key);
    return id;
}

void ManualScheduler::cancel(TimerId id) {
    const auto found = keys_.find(id);
    if (found == keys_.end())
        return;
    timers_.erase(found->second);
    keys_.erase(found);
}

void ManualScheduler::advance(Duration by) {
    const Duration target = now_ + by;
    while (!timers_.empty() && timers_.begin()->first.first <= target) {
        auto first = timers_.begin();
        now_ = first->first.first;
        auto callback = std::move(first->second);
        keys_.erase(first->first.second);
        timers_.erase(first);
        callback();
    }
    now_ = target;
}

bool ManualScheduler::advanceUntil(const std::function<bool()>& done, Duration limit, Duration step) {
    runDue();
    for (Duration passed{0}; !done() && passed < limit; passed += step)
        advance(step);
    return done();
}

} // namespace velmora
