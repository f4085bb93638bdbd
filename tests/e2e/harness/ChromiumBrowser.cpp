#include "harness/ChromiumBrowser.h"

#include "harness/PrivateDesktop.h"

namespace velmora::e2e {

ChromiumBrowser::ChromiumBrowser(const PrivateDesktop& desktop, const QUrl& url, bool loadBridge) {
    QProcessEnvironment environment = desktop.environment();
    if (loadBridge)
        environment.insert(QStringLiteral("ACCESSIBILITY_ENABLED"), QStringLiteral("1"));
    else
        environment.remove(QStringLiteral("ACCESSIBILITY_ENABLED"));
    // The Debian wrapper execs the browser, so the process we start is the browser process.
    process_.start(QStringLiteral("chromium"),
                   {QStringLiteral("--no-sandbox"), QStringLiteral("--disable-gpu"),
                    QStringLiteral("--disable-quic"), QStringLiteral("--no-first-run"),
                    QStringLiteral("--no-default-browser-check"),
                    QStringLiteral("--disable-background-networking"),
                    QStringLiteral("--disable-component-update"), QStringLiteral("--disable-sync"),
                    // The page must keep running its driver while the window sits unseen.
                    QStringLiteral("--disable-background-timer-throttling"),
                    QStringLiteral("--disable-renderer-backgrounding"),
                    QStringLiteral("--disable-backgrounding-occluded-windows"),
                    QStringLiteral("--window-size=1200,900"),
                    QStringLiteral("--user-data-dir=") + profile_.path(), url.toString()},
                   environment);
}

ChromiumBrowser::~ChromiumBrowser() { process_.stop(); }

} // namespace velmora::e2e
