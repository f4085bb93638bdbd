#pragma once

#include "harness/ChromiumBrowser.h"
#include "harness/PrivateDesktop.h"
#include "harness/TestPageServer.h"
#include "platform/linux/AtspiAccessibility.h"

#include <functional>
#include <memory>

namespace velmora::e2e {

// Everything a real-browser test needs, started once: the private desktop, the page server,
// the AT-SPI backend (switched on) and one Chromium showing a test page. Throws
// std::runtime_error when any of it cannot be brought up.
class BrowserSession {
public:
    BrowserSession();
    ~BrowserSession();

    PrivateDesktop& desktop() { return desktop_; }
    TestPageServer& server() { return server_; }
    AtspiAccessibility& accessibility() { return *accessibility_; }
    qint32 browserPID() const { return browser_->pid(); }
    ChromiumBrowser& browser() { return *browser_; }

    // Loads `page` in the browser's tab and waits until its document shows over AT-SPI.
    void open(const QString& page);
    // Runs `script` in the open page and waits until the AT-SPI tree has caught up with it in
    // the page and each of its frames.
    void run(const QString& script);
    // A new browser process in place of the current one (after a test killed it).
    void restartBrowser();

    // Runs Qt events while waiting; true once `done` holds.
    static bool waitUntil(const std::function<bool()>& done, int timeoutMs);

private:
    void waitForDocument(qint32 pid, const QString& title);

    PrivateDesktop desktop_;
    TestPageServer server_;
    std::unique_ptr<AtspiAccessibility> accessibility_;
    std::unique_ptr<ChromiumBrowser> browser_;
    int loads_ = 0;
};

} // namespace velmora::e2e
