#pragma once

#include "app/Platform.h"

#include <memory>

namespace velmora {

class AtspiAccessibility;
class FileRevealer;
class LinuxFileRevealer;
class LinuxNotificationCenter;

// The Linux desktop's services: AT-SPI on its own thread, freedesktop notifications and the
// file manager. Outlives the composition root that uses it.
class LinuxPlatform {
public:
    LinuxPlatform();
    ~LinuxPlatform();

    Platform platform();
    AtspiAccessibility& accessibility() { return *accessibility_; }
    FileRevealer& fileRevealer();

private:
    std::unique_ptr<AtspiAccessibility> accessibility_;
    std::unique_ptr<LinuxNotificationCenter> notificationCenter_;
    std::unique_ptr<LinuxFileRevealer> fileRevealer_;
};

} // namespace velmora
