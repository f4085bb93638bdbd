#include "capture/AsyncMutex.h"

#include <QCoroTask>
#include <QStringList>
#include <gtest/gtest.h>

using namespace velmora;

namespace {

// Keeps a coroutine (and the mutex it holds) waiting until the test resumes it.
struct Pause {
    struct Awaiter {
        Pause& pause;
        bool await_ready() const { return false; }
        void await_suspend(std::coroutine_handle<> handle) { pause.waiting = handle; }
        void await_resume() const {}
    };
    Awaiter wait() { return Awaiter{*this}; }
    void resume() { std::exchange(waiting, nullptr).resume(); }
    std::coroutine_handle<> waiting;
};

QCoro::Task<> holder(AsyncMutex& mutex, QStringList& log, QString name, Pause& pause) {
    auto entry = mutex.lock();
    auto guard = co_await entry;
    log.append(name + QStringLiteral(" in"));
    auto paused = pause.wait();
    co_await paused;
    log.append(name + QStringLiteral(" out"));
}

QCoro::Task<> visitor(AsyncMutex& mutex, QStringList& log, QString name) {
    auto entry = mutex.lock();
    auto guard = co_await entry;
    log.append(name);
}

TEST(AsyncMutexTest, OneAtATimeInTheOrderAskedAndNobodyOvertakesAWaiter) {
    AsyncMutex mutex;
    QStringList log;
    Pause first, second;
    auto a = holder(mutex, log, "a", first);
    auto b = holder(mutex, log, "b", second);
    auto c = visitor(mutex, log, "c");
    EXPECT_EQ(log, QStringList{"a in"});
    EXPECT_EQ(mutex.waitingCount(), 2u);

    first.resume(); // a leaves: b enters, c still waits
    EXPECT_EQ(log, (QStringList{"a in", "a out", "b in"}));
    auto d = visitor(mutex, log, "d"); // arrives while b holds it: behind c
    second.resume();
    EXPECT_EQ(log, (QStringList{"a in", "a out", "b in", "b out", "c", "d"}));
    EXPECT_FALSE(mutex.isLocked());
    EXPECT_TRUE(a.isReady() && b.isReady() && c.isReady() && d.isReady());
}

TEST(AsyncMutexTest, AReleasedGuardLetsTheNextIn) {
    AsyncMutex mutex;
    QStringList log;
    AsyncMutex::Guard held;
    [](AsyncMutex& mutex, AsyncMutex::Guard& out) -> QCoro::Task<> {
        auto entry = mutex.lock();
        out = co_await entry;
    }(mutex, held);
    ASSERT_TRUE(mutex.isLocked());
    auto next = visitor(mutex, log, "next");
    EXPECT_TRUE(log.isEmpty());
    held.release();
    EXPECT_EQ(log, QStringList{"next"});
    EXPECT_FALSE(mutex.isLocked());
}

} // namespace
