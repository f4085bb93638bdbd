#pragma once

#include <QtGlobal>
#include <functional>
#include <map>
#include <memory>

namespace velmora {

// A shared cancellation flag. Copies share one state; cancelling any copy cancels all and
// runs the registered callbacks once, on the cancelling thread.
class CancelToken {
public:
    using Registration = quint64;

    CancelToken();

    void cancel();
    bool isCancelled() const;

    // Runs `callback` on cancellation (at once when already cancelled). Returns a key for remove().
    Registration onCancel(std::function<void()> callback);
    void remove(Registration registration);

    bool operator==(const CancelToken& other) const { return state_ == other.state_; }

private:
    struct State {
        bool cancelled = false;
        Registration nextKey = 1;
        std::map<Registration, std::function<void()>> callbacks;
    };
    std::shared_ptr<State> state_;
};

} // namespace velmora
