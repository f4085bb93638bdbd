#pragma once

namespace velmora {

// The trust check and request as the application and its permission views see them.
class AXPermissionChecker {
public:
    virtual ~AXPermissionChecker() = default;
    virtual bool isTrusted() = 0;
    virtual void requestAccess() = 0;
};

} // namespace velmora
