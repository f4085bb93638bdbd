#include "platform/linux/LinuxPlatform.h"

#include "platform/linux/AtspiAccessibility.h"
#include "platform/linux/LinuxFileRevealer.h"
#include "platform/linux/LinuxNotificationCenter.h"

namespace velmora {

LinuxPlatform::LinuxPlatform()
    : accessibility_(std::make_unique<AtspiAccessibility>()),
      notificationCenter_(std::make_unique<LinuxNotificationCenter>()),
      fileRevealer_(std::make_unique<LinuxFileRevealer>()) {}

LinuxPlatform::~LinuxPlatform() = default;

Platform LinuxPlatform::platform() {
    return Platform{*accessibility_, accessibility_->queue(), *notificationCenter_, *fileRevealer_};
}

} // namespace velmora

namespace velmora {

FileRevealer& LinuxPlatform::fileRevealer() { return *fileRevealer_; }

} // namespace velmora
