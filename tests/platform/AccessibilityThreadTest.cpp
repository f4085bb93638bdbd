#include "platform/linux/AccessibilityThread.h"

#include <QCoroTask>
#include <gtest/gtest.h>

using namespace velmora;

namespace {

// Restores the default whatever the test does.
struct StrictMainThread {
    StrictMainThread() { AccessibilityThread::setMainThreadWaitsFatal(true); }
    ~StrictMainThread() { AccessibilityThread::setMainThreadWaitsFatal(false); }
};

// The check the application's tests run under: awaiting a job is what the main thread does;
// waiting for the accessibility thread there ends the process, so a regression cannot pass.
TEST(AccessibilityThreadDeathTest, MainThreadMayAwaitJobsButNeverWait) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    AccessibilityThread thread;
    StrictMainThread strict;
    EXPECT_EQ(QCoro::waitFor(thread.run([&thread] {
                  // On the thread itself a call runs directly.
                  return thread.call([] { return 7; });
              })),
              7);
    EXPECT_DEATH(thread.call([] { return 1; }), "main thread waited for the accessibility thread");
    // Start-up and teardown may wait.
    EXPECT_EQ(thread.callBlocking([] { return 2; }), 2);
}

} // namespace
