#pragma once

#include "sources/AXElement.h"
#include "sources/Accessibility.h"

#include <QString>
#include <QStringList>

#include <functional>

namespace velmora {

// What a NativeAppCaptionMonitor watches: the application (by its identifiers in order of
// preference) and how to tell that its caption area is on screen. The functions are called off
// the main thread and must be safe there.
struct NativeAppMonitorConfig {
    using CaptionCheck = std::function<bool(Accessibility&, const AXElement& appElement)>;
    using DebugLog = std::function<void(Accessibility&, const AXElement& appElement, qint64 pollCount)>;

    QStringList bundleIDs;
    QString appDisplayName;
    CaptionCheck checkForCaptions;
    DebugLog debugLog; // optional

    static NativeAppMonitorConfig teams();
    static NativeAppMonitorConfig zoom();

    // Teams' diagnostic while captions are hidden: its window list, every tenth poll.
    static void logTeamsWindows(Accessibility& ax, const AXElement& appElement, qint64 pollCount);
};

} // namespace velmora
