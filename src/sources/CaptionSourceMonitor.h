#pragma once

#include <functional>

namespace velmora {

// Watches one meeting application for its caption area and reports when captions appear and
// disappear. Callbacks run on the main thread, once per change.
class CaptionSourceMonitor {
public:
    virtual ~CaptionSourceMonitor() = default;

    std::function<void()> onCaptionsAppeared;
    std::function<void()> onCaptionsDisappeared;

    virtual void startMonitoring() = 0;
    // Makes no callback, even when captions were visible.
    virtual void stopMonitoring() = 0;
};

} // namespace velmora
