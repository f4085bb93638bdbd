#include "sources/BrowserCaptionScanner.h"

#include "fakes/FakeReaderEnvironment.h"
#include "fakes/ScannerEventLog.h"
#include "sources/BrowserProcessCache.h"

#include <gtest/gtest.h>

using namespace velmora;
using namespace std::chrono_literals;

namespace {

class BrowserCaptionScannerTest : public ::testing::Test, protected FakeReaderEnvironment {
protected:
    BrowserProcessCache cache{ax, clock};
    std::shared_ptr<BrowserCaptionScanner> scanner = std::make_shared<BrowserCaptionScanner>(
        env, cache, BrowserCaptionScanner::standardConfigs(), 5000ms);
    ScannerEventLog log;
    QStringList& events = log.events;

    BrowserCaptionScannerTest() { log.attach(*scanner); }

    // A running browser that accepts the switch-on; returns its web page.
    FakeNode::Ptr browser(const QString& executable, qint32 pid) {
        ax.addRunning(executable, pid);
        auto window = ax.app(pid)->add(FakeNode::make(AXRole::window));
        window->setWriteResult(AXAttribute::enhancedUserInterface, AXErrorCode::success);
        ax.app(pid)->setWindows({window});
        return window->add(FakeNode::make(AXRole::webArea));
    }
    void poll(int times = 1) {
        for (int i = 0; i < times; ++i)
            scheduler.advance(5s);
    }
};

TEST_F(BrowserCaptionScannerTest, ReportsEachSourceWithTheBrowserThatShowsIt) {
    browser(QStringLiteral("chrome"), 20)->add(FakeNode::group(QStringLiteral("Captions")));
    browser(QStringLiteral("msedge"), 10)->add(FakeNode::group(QStringLiteral(" Live Captions")));
    scanner->startMonitoring();
    scheduler.runDue();
    EXPECT_TRUE(events.isEmpty()) << "browsers switched on in this poll are scanned from the next";
    poll();
    EXPECT_EQ(events, (QStringList{"+browserMeet@20", "+browserTeams@10"}));
    EXPECT_EQ(scanner->state(CaptionSource::browserMeet).detectedPID, 20);
}

TEST_F(BrowserCaptionScannerTest, GivesASourceShownTwiceToTheEarlierBrowser) {
    auto chromium = browser(QStringLiteral("chromium"), 40);
    chromium->add(FakeNode::group(QStringLiteral("Captions")));
    auto chrome = browser(QStringLiteral("chrome"), 20);
    chrome->add(FakeNode::group(QStringLiteral("Captions")));
    scanner->startMonitoring();
    poll(2);
    EXPECT_EQ(events, QStringList{"+browserMeet@20"});
    // Moving to another browser while visible changes only the process.
    chrome->clearChildren();
    poll();
    EXPECT_EQ(events, QStringList{"+browserMeet@20"});
    EXPECT_EQ(scanner->state(CaptionSource::browserMeet).detectedPID, 40);
}

TEST_F(BrowserCaptionScannerTest, ReportsAMissedMarkerAtOnceAndItsReturn) {
    auto page = browser(QStringLiteral("chromium"), 40);
    auto captions = page->add(FakeNode::group(QStringLiteral("Captions")));
    scanner->startMonitoring();
    poll(2);
    page->removeChild(captions);
    poll();
    page->add(captions);
    poll();
    EXPECT_EQ(events, (QStringList{"+browserMeet@40", "-browserMeet", "+browserMeet@40"}));
}

TEST_F(BrowserCaptionScannerTest, StopsSilentlyAndReportsAgainAfterARestart) {
    browser(QStringLiteral("chromium"), 40)->add(FakeNode::group(QStringLiteral("Captions")));
    scanner->startMonitoring();
    poll(2);
    scanner->stopMonitoring();
    poll(3);
    EXPECT_EQ(events, QStringList{"+browserMeet@40"});
    scanner->startMonitoring();
    scheduler.runDue();
    EXPECT_EQ(events, (QStringList{"+browserMeet@40", "+browserMeet@40"}));
}

TEST_F(BrowserCaptionScannerTest, FindsZoomByItsLinesWhenTheBoxIsPrunedAndOnlyInWebContent) {
    auto page = browser(QStringLiteral("chromium"), 40);
    // The browser's own interface has labelled panels too; they never count.
    ax.app(40)->children().first()->add(FakeNode::group(QStringLiteral("Live Captions")));
    auto frame = page->add(FakeNode::make(AXRole::webArea));
    frame->add(FakeNode::make(AXRole::group))
        ->set(AXAttribute::domIdentifier, QStringLiteral("live-transcription-subtitle"));
    scanner->startMonitoring();
    poll(2);
    EXPECT_EQ(events, QStringList{"+browserZoom@40"});
}

TEST_F(BrowserCaptionScannerTest, EndsItsPollingOnceDropped) {
    browser(QStringLiteral("chromium"), 40);
    scanner->startMonitoring();
    poll(2);
    const int scans = ax.readCount();
    scanner.reset();
    poll(3);
    EXPECT_EQ(ax.readCount(), scans);
}

} // namespace
