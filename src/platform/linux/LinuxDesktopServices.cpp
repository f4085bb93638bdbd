#include "platform/linux/LinuxDesktopServices.h"

#include "app/FileRevealer.h"
#include "platform/linux/A11yStatus.h"
#include "platform/linux/BrowserProcesses.h"
#include "platform/linux/Logging.h"

#include <QDesktopServices>

namespace velmora {

void LinuxDesktopServices::openFile(const QString& path) { openUrl(QUrl::fromLocalFile(path)); }

void LinuxDesktopServices::openUrl(const QUrl& url) {
    if (!QDesktopServices::openUrl(url))
        qCWarning(lcDesktop, "No application opens %s", qUtf8Printable(url.toDisplayString()));
}

void LinuxDesktopServices::revealFile(const QString& path) { revealer_.revealFile(path); }

DesktopServices::AccessibilitySwitch LinuxDesktopServices::turnOnAccessibility() {
    AccessibilitySwitch result;
    const bool wasOn = A11yStatus::isEnabled();
    result.enabled = wasOn || A11yStatus::setEnabled(true);
    if (wasOn || !result.enabled)
        return result;
    // A browser decides at its start whether to expose pages; those running now started
    // while accessibility was off.
    for (const BrowserProcesses::Process& process : BrowserProcesses::running()) {
        if (!result.browsersToRestart.contains(process.executable))
            result.browsersToRestart.append(process.executable);
    }
    return result;
}

} // namespace velmora
