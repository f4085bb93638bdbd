#pragma once

#include "app/DesktopServices.h"

namespace velmora {

// Remembers what was opened and revealed; switching accessibility on answers as the test says.
class FakeDesktopServices final : public DesktopServices {
public:
    void openFile(const QString& path) override { opened.append(path); }
    void openUrl(const QUrl& url) override { openedUrls.append(url); }
    void revealFile(const QString& path) override { revealed.append(path); }
    AccessibilitySwitch turnOnAccessibility() override {
        ++accessibilitySwitches;
        return switchResult;
    }
    QStringList opened;
    QList<QUrl> openedUrls;
    QStringList revealed;
    int accessibilitySwitches = 0;
    AccessibilitySwitch switchResult{true, {}};
};

} // namespace velmora
