#pragma once

namespace velmora {

// Marks the jobs that the test executors run, so that the fake accessibility backend can tell a
// call made from a job on the accessibility queue from one the main thread makes directly (which
// with the real backend would wait for the bus, behind any queued scan).
class AccessibilityJobMarker {
public:
    AccessibilityJobMarker() { ++depth(); }
    ~AccessibilityJobMarker() { --depth(); }
    AccessibilityJobMarker(const AccessibilityJobMarker&) = delete;
    AccessibilityJobMarker& operator=(const AccessibilityJobMarker&) = delete;

    static bool inJob() { return depth() > 0; }

private:
    static int& depth() {
        thread_local int jobs = 0;
        return jobs;
    }
};

} // namespace velmora
