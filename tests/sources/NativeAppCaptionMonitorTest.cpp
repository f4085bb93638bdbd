#include "sources/NativeAppCaptionMonitor.h"

#include "fakes/DeferredExecutor.h"
#include "fakes/FakeAccessibility.h"
#include "fakes/ImmediateExecutor.h"
#include "fakes/LogCapture.h"
#include "fakes/QtPrinters.h"
#include "fakes/ManualClock.h"
#include "fakes/ManualScheduler.h"

#include <gtest/gtest.h>

using namespace velmora;
using namespace std::chrono_literals;

namespace {

class NativeAppCaptionMonitorTest : public ::testing::Test {
protected:
    NativeAppCaptionMonitorTest() { ax.requireQueue = true; }

    FakeAccessibility ax;
    ImmediateExecutor queue;
    ManualScheduler scheduler;
    ManualClock clock{scheduler};
    PIDCache pidCache{ax, clock};
    int appeared = 0;
    int disappeared = 0;

    // Lets the loops of monitors released by the test see their cancellation and end.
    void TearDown() override { scheduler.runDue(); }

    std::unique_ptr<NativeAppCaptionMonitor> monitor(NativeAppMonitorConfig config,
                                                     SerialExecutor* executor = nullptr) {
        auto made = std::make_unique<NativeAppCaptionMonitor>(
            std::move(config), 5000ms, ax, executor ? *executor : queue, scheduler, pidCache);
        made->onCaptionsAppeared = [this] { ++appeared; };
        made->onCaptionsDisappeared = [this] { ++disappeared; };
        return made;
    }
    FakeNode::Ptr showZoomCaptions(qint32 pid) {
        auto table = FakeNode::make(AXRole::table);
        table->set(AXAttribute::description, QStringLiteral("Closed caption subtitles"));
        return ax.app(pid)->add(FakeNode::make(AXRole::window))->add(table);
    }
    void poll(int times = 1) {
        for (int i = 0; i < times; ++i)
            scheduler.advance(5000ms);
    }
};

TEST_F(NativeAppCaptionMonitorTest, ReportsOnlyChangesOfVisibility) {
    ax.addRunning(QStringLiteral("zoom"), 7);
    auto table = showZoomCaptions(7);
    auto watcher = monitor(NativeAppMonitorConfig::zoom());
    watcher->startMonitoring();
    EXPECT_EQ(appeared, 0); // the first poll runs at the scheduler's next turn
    scheduler.runDue();
    EXPECT_EQ(appeared, 1);
    EXPECT_GE(queue.jobCount, 1); // the tree is read on the accessibility queue
    poll(3);
    EXPECT_EQ(appeared, 1);
    EXPECT_EQ(disappeared, 0);

    table->set(AXAttribute::description, QStringLiteral("Chat"));
    poll(2);
    EXPECT_EQ(disappeared, 1);
    table->set(AXAttribute::description, QStringLiteral("Closed caption subtitles"));
    poll();
    EXPECT_EQ(appeared, 2);
    EXPECT_EQ(watcher->pollCount(), 7);
}

TEST_F(NativeAppCaptionMonitorTest, ApplicationComingAndQuittingIsReportedOnceEach) {
    LogCapture log("velmora.monitor");
    auto watcher = monitor(NativeAppMonitorConfig::zoom());
    watcher->startMonitoring();
    poll(2);
    EXPECT_EQ(log.count("Zoom not running"), 0); // never seen running

    ax.addRunning(QStringLiteral("zoom.us"), 8); // only the last identifier of the list
    showZoomCaptions(8);
    poll();
    EXPECT_EQ(appeared, 1);
    EXPECT_EQ(log.matching("Zoom detected"), QStringList{"Zoom detected (PID: 8)"});

    ax.removeApp(8);
    poll(3);
    EXPECT_EQ(disappeared, 1);
    EXPECT_EQ(log.count("Zoom not running"), 1);
    EXPECT_FALSE(watcher->appRunning());
    EXPECT_EQ(watcher->pollCount(), 7);
}

TEST_F(NativeAppCaptionMonitorTest, TeamsWindowListIsLoggedEveryTenthPollWhileCaptionsAreHidden) {
    ax.addRunning(QStringLiteral("com.microsoft.teams2"), 9);
    auto app = ax.app(9);
    auto main = FakeNode::make(AXRole::window);
    main->set(AXAttribute::title, QStringLiteral("Chat | Teams"));
    main->set(AXAttribute::subrole, QStringLiteral("AXStandardWindow"));
    auto untitled = FakeNode::make(AXRole::window);
    app->addAll({main, untitled});
    app->setWindows({main, untitled});
    LogCapture log("velmora.monitor");
    auto watcher = monitor(NativeAppMonitorConfig::teams());
    watcher->startMonitoring();
    poll(19);
    EXPECT_EQ(log.matching("Teams windows"),
              (QStringList(2, "Teams windows (2): Chat | Teams [AXStandardWindow], (no title) []")));

    auto captions = main->add(FakeNode::group(QStringLiteral("Live Captions")));
    poll(20); // polls 21..40 with captions on: no window list
    EXPECT_EQ(appeared, 1);
    EXPECT_EQ(log.count("Teams windows"), 2);

    main->removeChild(captions);
    poll(); // poll 41 reports them gone
    EXPECT_EQ(disappeared, 1);
    poll(9); // poll 50
    EXPECT_EQ(log.count("Teams windows"), 3);
}

TEST_F(NativeAppCaptionMonitorTest, StopMakesNoCallbackAndARestartReportsCaptionsAnew) {
    ax.addRunning(QStringLiteral("zoom"), 7);
    showZoomCaptions(7);
    auto watcher = monitor(NativeAppMonitorConfig::zoom());
    watcher->startMonitoring();
    watcher->startMonitoring(); // one loop only
    scheduler.runDue();
    EXPECT_EQ(appeared, 1);

    watcher->stopMonitoring();
    EXPECT_FALSE(watcher->captionsVisible());
    EXPECT_EQ(watcher->pollCount(), 0);
    const int reads = ax.readCount();
    poll(3);
    EXPECT_EQ(ax.readCount(), reads);
    EXPECT_EQ(disappeared, 0);
    EXPECT_EQ(scheduler.pendingCount(), 0u);

    watcher->startMonitoring();
    scheduler.runDue();
    EXPECT_EQ(appeared, 2);
    poll(2);
    EXPECT_EQ(appeared, 2);
    EXPECT_EQ(watcher->pollCount(), 3);
}

TEST_F(NativeAppCaptionMonitorTest, ResultOfACheckInFlightIsDroppedByStopAndByDestruction) {
    ax.addRunning(QStringLiteral("zoom"), 7);
    showZoomCaptions(7);
    DeferredExecutor deferred;
    auto watcher = monitor(NativeAppMonitorConfig::zoom(), &deferred);
    watcher->startMonitoring();
    scheduler.runDue();
    ASSERT_EQ(deferred.pendingCount(), 1u);
    watcher->stopMonitoring();
    deferred.runAll();
    EXPECT_EQ(appeared, 0);

    watcher->startMonitoring();
    scheduler.runDue();
    ASSERT_EQ(deferred.pendingCount(), 1u);
    watcher.reset();
    deferred.runAll(); // resumes a loop whose monitor is gone: it must end quietly
    poll(2);
    EXPECT_EQ(appeared, 0);
    EXPECT_EQ(scheduler.pendingCount(), 0u);
}

TEST_F(NativeAppCaptionMonitorTest, CallbackMayStopOrDestroyTheMonitor) {
    ax.addRunning(QStringLiteral("zoom"), 7);
    showZoomCaptions(7);
    auto watcher = monitor(NativeAppMonitorConfig::zoom());
    watcher->onCaptionsAppeared = [&] {
        ++appeared;
        watcher->stopMonitoring(); // as the controller does when it starts a capture
    };
    watcher->startMonitoring();
    scheduler.runDue();
    EXPECT_EQ(appeared, 1);
    EXPECT_FALSE(watcher->isMonitoring());
    poll(2);
    EXPECT_EQ(scheduler.pendingCount(), 0u);

    watcher->onCaptionsAppeared = [&] {
        ++appeared;
        watcher.reset();
    };
    watcher->startMonitoring();
    scheduler.runDue();
    EXPECT_EQ(appeared, 2);
    EXPECT_EQ(watcher, nullptr);
    poll(2);
    EXPECT_EQ(scheduler.pendingCount(), 0u);
}

} // namespace
