#pragma once

#include "harness/ChildProcess.h"

#include <QTemporaryDir>
#include <QUrl>

namespace velmora::e2e {

class PrivateDesktop;

// Chromium on the private desktop with a throw-away profile. With `loadBridge` it exposes its
// tree over AT-SPI whatever the desktop's accessibility switch says (ACCESSIBILITY_ENABLED);
// without, it decides from the switch at start-up, as a user's browser does.
class ChromiumBrowser {
public:
    ChromiumBrowser(const PrivateDesktop& desktop, const QUrl& url, bool loadBridge = true);
    ~ChromiumBrowser();

    qint32 pid() const { return qint32(process_.pid()); }
    bool isRunning() const { return process_.isRunning(); }
    void kill() { process_.kill(); }

private:
    QTemporaryDir profile_;
    ChildProcess process_;
};

} // namespace velmora::e2e
