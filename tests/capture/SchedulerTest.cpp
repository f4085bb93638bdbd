#include "capture/AsyncChannel.h"
#include "capture/QtScheduler.h"
#include "capture/SerialQueue.h"
#include "fakes/ManualScheduler.h"

#include <QCoroTask>
#include <QEventLoop>
#include <QThread>
#include <QTimer>
#include <gtest/gtest.h>

using namespace velmora;
using namespace std::chrono_literals;

namespace {

QCoro::Task<> sleeper(Scheduler& scheduler, Duration d, CancelToken token, std::optional<bool>* out) {
    auto pause = scheduler.sleep(d, token);
    *out = co_await pause;
}

TEST(ManualSchedulerTest, ThirtySecondSleepCompletesAtThirtySecondsAndNotBefore) {
    ManualScheduler scheduler;
    std::optional<bool> result;
    sleeper(scheduler, 30s, CancelToken(), &result);
    scheduler.advance(29999ms);
    EXPECT_FALSE(result.has_value());
    scheduler.advance(1ms);
    ASSERT_TRUE(result.has_value());
    EXPECT_TRUE(*result);
}

TEST(ManualSchedulerTest, CancelledSleepEndsWithoutEffectOnTheNextTurnOnly) {
    ManualScheduler scheduler;
    CancelToken token;
    std::optional<bool> result;
    sleeper(scheduler, 30s, token, &result);
    token.cancel();
    // Never resumed inside cancel(): the caller of cancel() finishes first.
    EXPECT_FALSE(result.has_value());
    scheduler.runDue();
    ASSERT_TRUE(result.has_value());
    EXPECT_FALSE(*result);
    EXPECT_EQ(scheduler.pendingCount(), 0u);
    scheduler.advance(60s);
    EXPECT_FALSE(*result);
}

TEST(ManualSchedulerTest, AlreadyCancelledTokenDoesNotSleep) {
    ManualScheduler scheduler;
    CancelToken token;
    token.cancel();
    std::optional<bool> result;
    sleeper(scheduler, 5s, token, &result);
    ASSERT_TRUE(result.has_value());
    EXPECT_FALSE(*result);
}

TEST(ManualSchedulerTest, RunsDueTimersInTimeOrderIncludingOnesScheduledMeanwhile) {
    ManualScheduler scheduler;
    QStringList order;
    scheduler.schedule(2s, [&] { order << "b"; });
    scheduler.schedule(1s, [&] {
        order << "a";
        scheduler.schedule(500ms, [&] { order << "a+"; });
    });
    scheduler.schedule(2s, [&] { order << "c"; });
    const auto dropped = scheduler.schedule(1500ms, [&] { order << "dropped"; });
    scheduler.cancel(dropped);
    scheduler.advance(2s);
    EXPECT_EQ(order, (QStringList{"a", "a+", "b", "c"}));
    EXPECT_EQ(scheduler.elapsed(), 2s);
}

// Runs a real event loop until `done` holds; the real scheduler and queues resume through it.
// (processEvents outside exec() may not deliver events posted from other threads.)
void spinUntil(const std::function<bool()>& done) {
    QEventLoop loop;
    QTimer check;
    QObject::connect(&check, &QTimer::timeout, &loop, [&] {
        if (done())
            loop.quit();
    });
    check.start(0);
    loop.exec();
}

TEST(QtSchedulerTest, SleepsOnRealTimersAndCancels) {
    QtScheduler scheduler;
    std::optional<bool> elapsed;
    std::optional<bool> cancelled;
    CancelToken token;
    sleeper(scheduler, 1ms, CancelToken(), &elapsed);
    sleeper(scheduler, 10min, token, &cancelled);
    token.cancel();
    spinUntil([&] { return elapsed && cancelled; });
    EXPECT_TRUE(*elapsed);
    EXPECT_FALSE(*cancelled);
}

QCoro::Task<> submitOrdered(SerialQueue& queue, int job, QList<int>* ran, QList<int>* resumed,
                            QList<bool>* offMain) {
    auto work = queue.run([job, ran, offMain] {
        offMain->append(QThread::currentThread() != qApp->thread());
        ran->append(job);
        return job * 10;
    });
    const int result = co_await work;
    EXPECT_EQ(QThread::currentThread(), qApp->thread());
    resumed->append(result);
}

TEST(SerialQueueTest, RunsJobsOneAtATimeInOrderOffTheMainThreadAndResumesOnIt) {
    SerialQueue queue(QStringLiteral("test-queue"));
    QList<int> ran, resumed;
    QList<bool> offMain;
    for (int i = 1; i <= 20; ++i)
        submitOrdered(queue, i, &ran, &resumed, &offMain);
    spinUntil([&] { return resumed.size() == 20; });
    QList<int> expected;
    for (int i = 1; i <= 20; ++i)
        expected << i;
    EXPECT_EQ(ran, expected);
    EXPECT_EQ(resumed.first(), 10);
    EXPECT_FALSE(offMain.contains(false));
}

QCoro::Task<> failing(SerialQueue& queue, QString* caught) {
    try {
        auto work = queue.run([]() -> int { throw std::runtime_error("disk full"); });
        co_await work;
    } catch (const std::runtime_error& e) {
        *caught = QString::fromUtf8(e.what());
    }
}

TEST(SerialQueueTest, JobExceptionReachesTheAwaiter) {
    SerialQueue queue(QStringLiteral("test-queue"));
    QString caught;
    failing(queue, &caught);
    spinUntil([&] { return !caught.isEmpty(); });
    EXPECT_EQ(caught, "disk full");
}

QCoro::Task<> drain(AsyncChannel<int>& channel, QList<int>* out, bool* ended) {
    while (auto value = co_await channel.next())
        out->append(*value);
    *ended = true;
}

TEST(AsyncChannelTest, BuffersEverythingEndsOnceAndStaysEnded) {
    AsyncChannel<int> channel;
    int terminations = 0;
    channel.setOnTermination([&] { ++terminations; });
    for (int i = 0; i < 1000; ++i)
        channel.send(i);
    QList<int> out;
    bool ended = false;
    drain(channel, &out, &ended);
    EXPECT_EQ(out.size(), 1000);
    channel.send(1000);
    channel.finish();
    channel.send(1001);
    channel.finish();
    EXPECT_TRUE(ended);
    EXPECT_EQ(out.size(), 1001);
    EXPECT_EQ(out.last(), 1000);
    EXPECT_EQ(terminations, 1);
}

TEST(AsyncChannelTest, ConsumerCancelDropsBufferedValuesAndTerminates) {
    AsyncChannel<int> channel;
    bool terminated = false;
    channel.setOnTermination([&] { terminated = true; });
    channel.send(1);
    channel.cancel();
    QList<int> out;
    bool ended = false;
    drain(channel, &out, &ended);
    EXPECT_TRUE(terminated);
    EXPECT_TRUE(ended);
    EXPECT_TRUE(out.isEmpty());
}

} // namespace
