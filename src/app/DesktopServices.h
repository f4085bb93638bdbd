#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>

namespace velmora {

// What the windows and the tray ask of the desktop they run on.
class DesktopServices {
public:
    virtual ~DesktopServices() = default;

    // With the application the desktop associates with the file (or folder, or link).
    virtual void openFile(const QString& path) = 0;
    virtual void openUrl(const QUrl& url) = 0;
    // Selects the file in the file manager, or opens its folder when no file manager can.
    virtual void revealFile(const QString& path) = 0;

    struct AccessibilitySwitch {
        bool enabled = false;
        // Browsers that were started while accessibility was off: they expose no pages to us
        // until they are restarted.
        QStringList browsersToRestart;
    };
    // Switches the desktop's accessibility support on.
    virtual AccessibilitySwitch turnOnAccessibility() = 0;
};

} // namespace velmora
