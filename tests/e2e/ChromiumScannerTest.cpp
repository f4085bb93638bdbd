#include "ChromiumTest.h"

#include "sources/BrowserCaptionScanner.h"
#include "fakes/ScannerEventLog.h"
#include "sources/BrowserProcessCache.h"

using namespace velmora;
using namespace velmora::e2e;

namespace {

class ChromiumScannerTest : public ChromiumTest {
protected:
    BrowserProcessCache cache{ax, clock};
    std::shared_ptr<BrowserCaptionScanner> scanner = std::make_shared<BrowserCaptionScanner>(
        env, cache, BrowserCaptionScanner::standardConfigs(), std::chrono::seconds(5));
    ScannerEventLog log;
    QStringList& events = log.events;

    ChromiumScannerTest() { log.attach(*scanner); }
    // The next poll (the first at once), until its scan has been applied.
    void scan() {
        if (!scanner->isMonitoring())
            scanner->startMonitoring();
        else
            scheduler.advance(std::chrono::seconds(5));
        ASSERT_TRUE(BrowserSession::waitUntil([&] { return scheduler.pendingCount() == 1; }, 20000));
    }
    QString seen(const QString& source) const {
        return QStringLiteral("+%1@%2").arg(source).arg(browser.browserPID());
    }
};

TEST_F(ChromiumScannerTest, ReportsMeetCaptionsAppearingAndDisappearingWithTheBrowsersProcess) {
    open(QStringLiteral("meet.html"));
    run(QStringLiteral("filler(document.body, 800, 'Side')"));
    scan();
    scan();
    EXPECT_TRUE(events.isEmpty());
    run(QStringLiteral("meet.show(); meet.say('Ana', 'Hello')"));
    scan();
    EXPECT_EQ(events, QStringList{seen("browserMeet")});
    run(QStringLiteral("meet.hide()"));
    scan();
    EXPECT_EQ(events, (QStringList{seen("browserMeet"), "-browserMeet"}));
}

TEST_F(ChromiumScannerTest, SeesTwoSourcesInOneBrowser) {
    open(QStringLiteral("zoom.html"));
    run(QStringLiteral("zoom.show(); zoom.line('from the frame');"
                       "document.body.append(element('div', {'aria-label': 'Live Captions'},"
                       " element('div', {}, element('span', {}, 'Dana'), element('span', {}, 'Hi'))))"));
    scan();
    scan();
    EXPECT_EQ(events, (QStringList{seen("browserZoom"), seen("browserTeams")}));
    scanner->stopMonitoring();
    EXPECT_EQ(events.size(), 2) << "stopping reports nothing";
}

} // namespace
