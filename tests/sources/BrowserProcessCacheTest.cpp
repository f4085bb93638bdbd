#include "sources/BrowserProcessCache.h"

#include "fakes/FakeReaderEnvironment.h"

#include <gtest/gtest.h>

using namespace velmora;
using namespace std::chrono_literals;

namespace {

class BrowserProcessCacheTest : public ::testing::Test, protected FakeReaderEnvironment {
protected:
    // The cache is called here as a job on the accessibility queue calls it.
    BrowserProcessCacheTest() { ax.requireQueue = false; }

    BrowserProcessCache cache{ax, clock};

    // A running browser; `switchable` gives it a window that accepts the switch-on writes.
    void launch(const QString& executable, qint32 pid, bool switchable = true) {
        ax.addRunning(executable, pid);
        auto app = ax.app(pid);
        if (switchable) {
            auto window = app->add(FakeNode::make(AXRole::window));
            window->setWriteResult(AXAttribute::enhancedUserInterface, AXErrorCode::success);
            app->setWindows({window});
        }
    }
    int writesTo(qint32 pid) {
        const FakeNode* window = ax.app(pid)->children().isEmpty() ? nullptr : ax.app(pid)->children().first().get();
        return int(std::count_if(ax.writes.begin(), ax.writes.end(), [&](const FakeWrite& w) { return w.node == window; }));
    }
    QList<qint32> pids(const QList<BrowserProcess>& browsers) {
        QList<qint32> out;
        for (const BrowserProcess& b : browsers)
            out.append(b.pid);
        return out;
    }
};

TEST_F(BrowserProcessCacheTest, ListsSupportedBrowsersInPreferenceOrderByTheirExecutables) {
    launch(QStringLiteral("chrome"), 20);
    launch(QStringLiteral("chrome"), 21); // a second instance is neither listed nor switched on
    launch(QStringLiteral("some-chromium-fork"), 30);
    launch(QStringLiteral("chromium"), 40);
    launch(QStringLiteral("msedge"), 10);
    const auto browsers = cache.runningBrowsers();
    EXPECT_EQ(browsers, (QList<BrowserProcess>{{10, "com.microsoft.edgemac"}, {20, "com.google.Chrome"},
                                               {40, "org.chromium.Chromium"}}));
    EXPECT_EQ(cache.justEnabledPIDs(), (QSet<qint32>{10, 20, 40}));
    EXPECT_EQ(writesTo(21), 0);
}

TEST_F(BrowserProcessCacheTest, AnswersFromMemoryForFiveSeconds) {
    launch(QStringLiteral("chromium"), 40);
    cache.runningBrowsers();
    const int writes = int(ax.writes.size());
    ax.running.clear();
    scheduler.advance(4999ms);
    EXPECT_EQ(pids(cache.runningBrowsers()), QList<qint32>{40});
    EXPECT_TRUE(cache.justEnabledPIDs().isEmpty());
    EXPECT_EQ(ax.runningApplicationsCalls, 1);
    scheduler.advance(1ms);
    EXPECT_TRUE(cache.runningBrowsers().isEmpty());
    EXPECT_EQ(int(ax.writes.size()), writes); // switched on once, not on every scan
}

TEST_F(BrowserProcessCacheTest, TriesABrowserThreeTimesAndAgainWhenItRestarts) {
    launch(QStringLiteral("chromium"), 40, false); // no windows: cannot be switched on
    for (int scan = 0; scan < 5; ++scan) {
        EXPECT_EQ(pids(cache.runningBrowsers()), QList<qint32>{40}) << "listed all the same";
        scheduler.advance(5s);
    }
    EXPECT_EQ(ax.writes.size(), 0);
    ax.removeApp(40);
    launch(QStringLiteral("chromium"), 41);
    cache.runningBrowsers();
    EXPECT_EQ(cache.justEnabledPIDs(), QSet<qint32>{41});
}

TEST_F(BrowserProcessCacheTest, StopsTryingAfterThreeFailures) {
    launch(QStringLiteral("chromium"), 40);
    auto window = ax.app(40)->children().first();
    window->setWriteResult(AXAttribute::enhancedUserInterface, AXErrorCode::cannotComplete);
    for (int scan = 0; scan < 5; ++scan) {
        cache.runningBrowsers();
        scheduler.advance(5s);
    }
    EXPECT_EQ(writesTo(40), 3 * 2); // both writes, three times
}

} // namespace
