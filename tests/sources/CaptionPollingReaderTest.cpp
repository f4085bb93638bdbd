#include "sources/CaptionPollingReader.h"
#include "capture/VelmoraError.h"
#include "fakes/FakeAccessibility.h"
#include "fakes/ImmediateExecutor.h"
#include "fakes/ManualClock.h"
#include "fakes/ManualScheduler.h"
#include "fakes/ReaderTestBench.h"
#include "sources/AXHelpers.h"
#include "sources/Logging.h"

#include <QCoroTask>
#include <gtest/gtest.h>

using namespace velmora;
using namespace std::chrono_literals;

namespace {

// A reader whose container is the first group described "Captions"; each static text in it is
// one line of speaker "S".
class TestReader final : public CaptionPollingReader {
public:
    TestReader(const ReaderEnvironment& env, qint32 pid, bool native)
        : CaptionPollingReader(env, 1000ms, lcReader()), pid_(pid), native_(native) {}

    static std::shared_ptr<TestReader> create(const ReaderEnvironment& env, qint32 pid, bool native) {
        return std::make_shared<TestReader>(env, pid, native);
    }

    int diagnostics = 0;
    int resets = 0;
    bool cacheValid = true;

protected:
    AXElement createAppElement() override {
        if (pid_ < 0)
            throw VelmoraError::captionSourceNotFound(CaptionSource::zoom);
        return env_.accessibility.applicationElement(pid_);
    }
    std::optional<AXElement> findContainer(const AXElement& app) const override {
        return AXHelpers::findByDescription(env_.accessibility, app, QStringLiteral("Captions"), 0, 40);
    }
    CaptionSnapshot extractEntries(const AXElement& container) const override {
        CaptionSnapshot entries;
        const QDateTime now = env_.clock.now();
        for (const AXElement& child : AXHelpers::children(env_.accessibility, container)) {
            if (auto text = AXHelpers::stringValue(env_.accessibility, child))
                entries.append({now, QStringLiteral("S"), *text});
        }
        return entries;
    }
    bool isCacheValid(const AXElement&) const override { return cacheValid; }
    CaptionSnapshot applyReaderState(const CaptionSnapshot& entries) override { return entries; }
    void onContainerNotFound(const AXElement&) const override {
        ++const_cast<TestReader*>(this)->diagnostics;
    }
    qint64 containerGoneThreshold() const override { return native_ ? 30 : 5; }
    bool checksCallWindows() const override { return native_; }
    void resetReaderState() override { ++resets; }

private:
    qint32 pid_;
    bool native_;
};

// Collects every snapshot of a stream until it ends.
struct Collector {
    QList<CaptionSnapshot> snapshots;
    bool ended = false;
};

QCoro::Task<> collect(std::shared_ptr<CaptionStream> stream, Collector* out) {
    while (auto snapshot = co_await stream->next())
        out->snapshots.append(*snapshot);
    out->ended = true;
}

class PollingReaderTest : public ::testing::Test, protected FakeReaderEnvironment {
protected:
    FakeNode::Ptr app = ax.app(42);
    FakeNode::Ptr captions;
    Collector collected;

    void showCaptions(const QStringList& lines) {
        if (!captions)
            captions = app->add(FakeNode::group(QStringLiteral("Captions")));
        captions->clearChildren();
        for (const QString& line : lines)
            captions->add(FakeNode::staticText(line));
    }
    void hideCaptions() {
        captions->clearChildren();
        app->removeChild(captions);
        captions.reset();
    }
    QList<std::weak_ptr<TestReader>> started;

    // Ends every loop and stream, so no coroutine is left suspended when the test ends.
    void TearDown() override {
        for (const auto& weak : started) {
            if (auto reader = weak.lock())
                reader->stopReading();
        }
        scheduler.runDue();
    }
    std::shared_ptr<TestReader> start(bool native = false, qint32 pid = 42) {
        auto reader = TestReader::create(env, pid, native);
        started.append(reader);
        collect(reader->captions(), &collected);
        reader->startReading();
        scheduler.runDue();
        return reader;
    }
    void poll(int times = 1) {
        for (int i = 0; i < times; ++i)
            scheduler.advance(1000ms);
    }
};

TEST_F(PollingReaderTest, PublishesEverySnapshotIncludingEmptyOnesAndRepeats) {
    showCaptions({"hello"});
    auto reader = start();
    poll();
    showCaptions({});
    poll();
    ASSERT_EQ(collected.snapshots.size(), 3);
    EXPECT_EQ(collected.snapshots[0].size(), 1);
    EXPECT_EQ(collected.snapshots[1].value(0).text, "hello");
    EXPECT_TRUE(collected.snapshots[2].isEmpty());
    EXPECT_EQ(collected.snapshots[0][0].timestamp.secsTo(collected.snapshots[1][0].timestamp), 1);
}

TEST_F(PollingReaderTest, SecondStartRunsOneLoop) {
    showCaptions({"a"});
    auto reader = start();
    reader->startReading();
    poll(3);
    EXPECT_EQ(collected.snapshots.size(), 4);
    EXPECT_EQ(reader->pollCount(), 4);
}

TEST_F(PollingReaderTest, UntrustedStartFailsWithoutPolling) {
    ax.trusted = false;
    auto reader = TestReader::create(env, 42, false);
    EXPECT_EQ(startFailure(*reader), VelmoraError::accessibilityNotTrusted());
    EXPECT_FALSE(reader->isPolling());
}

TEST_F(PollingReaderTest, AppElementErrorPassesThrough) {
    auto reader = TestReader::create(env, -1, true);
    const std::optional<VelmoraError> error = startFailure(*reader);
    ASSERT_TRUE(error);
    EXPECT_EQ(*error, VelmoraError::captionSourceNotFound(CaptionSource::zoom));
    EXPECT_FALSE(reader->isPolling());
}

TEST_F(PollingReaderTest, BrowserThresholdFiveMissesEndsStreamAndAReadResetsTheCount) {
    auto reader = start();
    poll(3); // four misses
    EXPECT_EQ(reader->containerGoneCount(), 4);
    showCaptions({"back"});
    poll();
    EXPECT_EQ(reader->containerGoneCount(), 0);
    hideCaptions();
    reader->cacheValid = false;
    poll(5); // stale, then four misses

    EXPECT_FALSE(collected.ended);
    poll();
    EXPECT_TRUE(collected.ended);
    EXPECT_FALSE(reader->isPolling());
    // The stream carried an empty snapshot for every miss that did not end it.
    EXPECT_EQ(collected.snapshots.size(), 4 + 1 + 5);
}

TEST_F(PollingReaderTest, NativeReaderToleratesThirtyMisses) {
    auto reader = start(true);
    poll(28);
    EXPECT_FALSE(collected.ended);
    poll();
    EXPECT_TRUE(collected.ended);
    EXPECT_EQ(collected.snapshots.size(), 29);
}

TEST_F(PollingReaderTest, DiagnosticRunsOnEveryTenthPollNotTenthMiss) {
    showCaptions({"x"});
    auto reader = start(true); // poll 1 reads
    hideCaptions();
    reader->cacheValid = false;
    poll(9); // poll 2 stale, polls 3..10 miss
    EXPECT_EQ(reader->diagnostics, 1);
    EXPECT_EQ(reader->containerGoneCount(), 8);
    poll(10);
    EXPECT_EQ(reader->diagnostics, 2);
}

TEST_F(PollingReaderTest, CallWindowClosingEndsNativeStreamAfterTenMisses) {
    auto w1 = FakeNode::make(AXRole::window);
    auto w2 = FakeNode::make(AXRole::window);
    app->setWindows({w1, w2});
    showCaptions({"x"});
    auto reader = start(true);
    hideCaptions();
    reader->cacheValid = false;
    app->setWindows({w1});
    poll(10); // stale + 9 misses: no window check yet
    EXPECT_FALSE(collected.ended);
    poll();
    EXPECT_TRUE(collected.ended);
}

TEST_F(PollingReaderTest, WindowCheckNeverRunsWithoutBaseline) {
    auto reader = start(true);
    poll(20);
    EXPECT_FALSE(collected.ended);
}

TEST_F(PollingReaderTest, StaleCacheIsSearchedAgain) {
    showCaptions({"one"});
    auto reader = start();
    EXPECT_TRUE(reader->hasCachedContainer());
    // The caption area is replaced by a new node: the old one is empty and no longer valid.
    auto old = captions;
    hideCaptions();
    old->clearChildren();
    reader->cacheValid = false;
    showCaptions({"two"});
    poll();
    EXPECT_FALSE(reader->hasCachedContainer());
    EXPECT_TRUE(collected.snapshots.last().isEmpty());
    poll();
    EXPECT_TRUE(reader->hasCachedContainer());
    EXPECT_EQ(collected.snapshots.last().value(0).text, "two");
    EXPECT_EQ(reader->containerGoneCount(), 0);
}

TEST_F(PollingReaderTest, AppGoneEndsTheStream) {
    auto reader = start();
    ax.removeApp(42);
    poll();
    EXPECT_TRUE(collected.ended);
    EXPECT_FALSE(reader->isPolling());
}

TEST_F(PollingReaderTest, StopEndsStreamForGoodAndResets) {
    showCaptions({"x"});
    auto reader = start();
    reader->stopReading();
    scheduler.runDue();
    EXPECT_TRUE(collected.ended);
    EXPECT_EQ(reader->resets, 1);
    EXPECT_EQ(reader->pollCount(), 0);
    const auto count = collected.snapshots.size();
    reader->startReading();
    poll(3);
    EXPECT_EQ(collected.snapshots.size(), count);
    EXPECT_EQ(scheduler.pendingCount(), 0u);
}

TEST_F(PollingReaderTest, ConsumerCancellingStopsPolling) {
    showCaptions({"x"});
    auto reader = start();
    reader->captions()->cancel();
    scheduler.runDue();
    EXPECT_FALSE(reader->isPolling());
    const int reads = ax.readCount();
    poll(3);
    EXPECT_EQ(ax.readCount(), reads);
}

TEST_F(PollingReaderTest, ReleasedReaderEndsItsLoop) {
    showCaptions({"x"});
    auto reader = start();
    std::weak_ptr<TestReader> weak = reader;
    reader.reset();
    EXPECT_TRUE(weak.expired());
    const int reads = ax.readCount();
    poll(3);
    EXPECT_EQ(ax.readCount(), reads);
    EXPECT_EQ(scheduler.pendingCount(), 0u);
}

} // namespace
