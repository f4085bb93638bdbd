#pragma once

#include "app/DesktopServices.h"

namespace velmora {

class FileRevealer;

// Files and links open with the desktop's default applications; reveals go through the file
// manager; accessibility is the desktop's org.a11y.Status switch.
class LinuxDesktopServices final : public DesktopServices {
public:
    explicit LinuxDesktopServices(FileRevealer& revealer) : revealer_(revealer) {}

    void openFile(const QString& path) override;
    void openUrl(const QUrl& url) override;
    void revealFile(const QString& path) override;
    AccessibilitySwitch turnOnAccessibility() override;

private:
    FileRevealer& revealer_;
};

} // namespace velmora
