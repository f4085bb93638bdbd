#pragma once

#include "sources/AXPermissionChecker.h"
#include "sources/Accessibility.h"

namespace velmora {

class SystemAXPermissionChecker final : public AXPermissionChecker {
public:
    explicit SystemAXPermissionChecker(Accessibility& accessibility) : ax_(accessibility) {}
    bool isTrusted() override { return ax_.isProcessTrusted(); }
    void requestAccess() override { ax_.requestTrust(); }

private:
    Accessibility& ax_;
};

} // namespace velmora
