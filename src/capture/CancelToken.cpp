#include "capture/CancelToken.h"

namespace velmora {

CancelToken::CancelToken() : state_(std::make_shared<State>()) {}

void CancelToken::cancel() {
    auto state = state_;
    if (state->cancelled)
        return;
    state->cancelled = true;
    auto callbacks = std::move(state->callbacks);
    state->callbacks.clear();
    for (auto& [key, callback] : callbacks)
        callback();
}

bool CancelToken::isCancelled() const { return state_->cancelled; }

CancelToken::Registration CancelToken::onCancel(std::function<void()> callback) {
    if (state_->cancelled) {
        callback();
        return 0;
    }
    const Registration key = state_->nextKey++;
    state_->callbacks.emplace(key, std::move(callback));
    return key;
}

void CancelToken::remove(Registration registration) { state_->callbacks.erase(registration); }

} // namespace velmora
