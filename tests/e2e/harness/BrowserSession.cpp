#include "harness/BrowserSession.h"

#include "sources/AXHelpers.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include <stdexcept>

namespace velmora::e2e {

namespace {
constexpr int startTimeoutMs = 45000;
constexpr int stepTimeoutMs = 15000;
} // namespace

BrowserSession::BrowserSession()
    : server_(QStringLiteral(VELMORA_E2E_PAGES)),
      accessibility_(std::make_unique<AtspiAccessibility>()) {
    accessibility_->requestTrust();
    if (!accessibility_->isProcessTrusted())
        throw std::runtime_error("the private desktop's accessibility switch cannot be turned on");
    restartBrowser();
}

BrowserSession::~BrowserSession() {
    browser_.reset();
    accessibility_.reset();
}

bool BrowserSession::waitUntil(const std::function<bool()>& done, int timeoutMs) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(10);
    }
    return true;
}

void BrowserSession::waitForDocument(qint32 pid, const QString& title) {
    const AXElement app = accessibility_->applicationElement(pid);
    // As the application does: ask the browser for its web tree until it shows one.
    if (waitUntil([&] {
            AXHelpers::enableChromiumAccessibility(*accessibility_, pid);
            return accessibility_->webDocumentTitles(app).contains(title);
        }, startTimeoutMs))
        return;
    QStringList registered;
    for (const RunningApplication& running : accessibility_->runningApplications())
        registered.append(QStringLiteral("%1 (%2)").arg(running.bundleIdentifier.value_or(QStringLiteral("?"))).arg(running.processIdentifier));
    throw std::runtime_error(QStringLiteral("browser %1 never showed \"%2\" over AT-SPI (it shows [%3]; registered: [%4])")
                                 .arg(pid)
                                 .arg(title, accessibility_->webDocumentTitles(app).join(QStringLiteral(", ")),
                                      registered.join(QStringLiteral(", ")))
                                 .toStdString());
}

void BrowserSession::restartBrowser() {
    browser_.reset();
    const QString query = QStringLiteral("?load=%1").arg(++loads_);
    browser_ = std::make_unique<ChromiumBrowser>(desktop_, server_.url(QStringLiteral("blank.html") + query));
    waitForDocument(browser_->pid(), QStringLiteral("loaded ") + query);
}

void BrowserSession::open(const QString& page) {
    const QString query = QStringLiteral("?load=%1").arg(++loads_);
    server_.post(QStringLiteral("location.href = '/%1%2';").arg(page, query));
    waitForDocument(browser_->pid(), QStringLiteral("loaded ") + query);
    // The driver takes commands only once the page's own scripts have run: one empty step
    // waits for everything they built.
    run(QStringLiteral(";"));
}

void BrowserSession::run(const QString& script) {
    const int seq = server_.post(script);
    if (!waitUntil([&] { return server_.lastDone() >= seq; }, stepTimeoutMs))
        throw std::runtime_error(QStringLiteral("the page did not run: %1").arg(script).toStdString());
    const AXElement app = accessibility_->applicationElement(browser_->pid());
    const QString title = QStringLiteral("step %1").arg(seq);
    auto caughtUp = [&] {
        const QStringList titles = accessibility_->webDocumentTitles(app);
        return !titles.isEmpty() && titles.count(title) == titles.size();
    };
    if (!waitUntil(caughtUp, stepTimeoutMs))
        throw std::runtime_error(QStringLiteral("AT-SPI never showed the effect of: %1").arg(script).toStdString());
}

} // namespace velmora::e2e
