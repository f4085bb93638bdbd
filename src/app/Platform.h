#pragma once

namespace velmora {

class Accessibility;
class FileRevealer;
class NotificationCenterProviding;
class SerialExecutor;

// What the application takes from the desktop it runs on. The platform layer builds it and
// keeps it alive for longer than the composition root.
struct Platform {
    Accessibility& accessibility;
    // Where every accessibility query runs (the platform's accessibility thread).
    SerialExecutor& accessibilityQueue;
    NotificationCenterProviding& notificationCenter;
    FileRevealer& fileRevealer;
};

} // namespace velmora
