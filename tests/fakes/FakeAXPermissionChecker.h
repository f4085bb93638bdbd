#pragma once

#include "fakes/AccessibilityJobMarker.h"
#include "sources/AXPermissionChecker.h"

namespace velmora {

// Trust as the test sets it; counts checks and access requests, and notes a check made
// outside an accessibility-queue job (which would block the main thread on the real bus).
class FakeAXPermissionChecker final : public AXPermissionChecker {
public:
    bool isTrusted() override {
        ++isTrustedCalls;
        askedOutsideAJob = askedOutsideAJob || !AccessibilityJobMarker::inJob();
        return trusted;
    }
    int isTrustedCalls = 0;
    bool askedOutsideAJob = false;
    void requestAccess() override { ++accessRequests; }
    bool trusted = false;
    int accessRequests = 0;
};

} // namespace velmora
