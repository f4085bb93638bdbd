#pragma once

#include "sources/AXPermissionChecker.h"

namespace velmora {

// Trust as the test sets it; counts access requests.
class FakeAXPermissionChecker final : public AXPermissionChecker {
public:
    bool isTrusted() override { return trusted; }
    void requestAccess() override { ++accessRequests; }
    bool trusted = false;
    int accessRequests = 0;
};

} // namespace velmora
