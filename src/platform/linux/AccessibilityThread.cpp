#include "platform/linux/AccessibilityThread.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QMetaObject>
#include <QPointer>
#include <QThread>

#include <glib.h>
#include <pthread.h>

#include <atomic>

namespace velmora {

namespace {
thread_local bool isAccessibilityThread = false;
std::atomic<bool> mainThreadWaitsFatal{qEnvironmentVariableIntValue("VELMORA_STRICT_ACCESSIBILITY_THREAD") == 1};
// Enough to drain what arrived while a job ran, without letting a chatty source starve jobs.
constexpr int maxPumpIterations = 200;
} // namespace

struct AccessibilityThread::State {
    std::mutex mutex;
    std::deque<std::function<void()>> jobs;
    bool stopping = false;
    bool stopped = false;
};

AccessibilityThread::AccessibilityThread() : state_(std::make_shared<State>()) {
    std::mutex startMutex;
    std::condition_variable started;
    bool running = false;
    thread_ = std::thread([this, &startMutex, &started, &running] {
        pthread_setname_np(pthread_self(), "velmora-atspi");
        isAccessibilityThread = true;
        {
            std::lock_guard lock(startMutex);
            threadId_ = std::this_thread::get_id();
            running = true;
        }
        started.notify_one();
        loop();
    });
    std::unique_lock lock(startMutex);
    started.wait(lock, [&] { return running; });
}

AccessibilityThread::~AccessibilityThread() {
    {
        std::lock_guard lock(state_->mutex);
        state_->stopping = true;
    }
    g_main_context_wakeup(g_main_context_default());
    thread_.join();
}

bool AccessibilityThread::onAccessibilityThread() { return isAccessibilityThread; }

void AccessibilityThread::setMainThreadWaitsFatal(bool fatal) { mainThreadWaitsFatal = fatal; }

void AccessibilityThread::checkMayWait() {
    if (!mainThreadWaitsFatal)
        return;
    const QCoreApplication* application = QCoreApplication::instance();
    if (application && QThread::currentThread() == application->thread())
        qFatal("The main thread waited for the accessibility thread (an accessibility call made "
               "directly instead of awaited as a job on the accessibility queue)");
}

void AccessibilityThread::setAfterJob(std::function<void()> hook) {
    callBlocking([this, hook = std::move(hook)]() mutable { afterJob_ = std::move(hook); });
}

bool AccessibilityThread::enqueue(std::function<void()> job) {
    {
        std::lock_guard lock(state_->mutex);
        if (state_->stopped)
            return false;
        state_->jobs.push_back(std::move(job));
    }
    g_main_context_wakeup(g_main_context_default());
    return true;
}

void AccessibilityThread::post(std::function<void()> work) { enqueue(std::move(work)); }

void AccessibilityThread::submit(std::function<void()> job, std::function<void()> resume) {
    // Resumes on the submitting thread's event loop, like every serial executor.
    QPointer<QObject> caller = QAbstractEventDispatcher::instance(QThread::currentThread());
    Q_ASSERT(caller);
    enqueue([job = std::move(job), resume = std::move(resume), caller]() mutable {
        job();
        if (caller)
            QMetaObject::invokeMethod(caller, std::move(resume), Qt::QueuedConnection);
    });
}

void AccessibilityThread::loop() {
    GMainContext* context = g_main_context_default();
    g_main_context_acquire(context);
    auto pump = [context] {
        for (int i = 0; i < maxPumpIterations && g_main_context_pending(context); ++i)
            g_main_context_iteration(context, FALSE);
    };
    while (true) {
        std::function<void()> job;
        {
            std::lock_guard lock(state_->mutex);
            if (!state_->jobs.empty()) {
                job = std::move(state_->jobs.front());
                state_->jobs.pop_front();
            } else if (state_->stopping) {
                state_->stopped = true;
                break;
            }
        }
        if (!job) {
            // Sleeps until libatspi has something to dispatch or a job is queued.
            g_main_context_iteration(context, TRUE);
            continue;
        }
        // Events that arrived meanwhile first, so the job sees the tree as it is now.
        pump();
        job();
        if (afterJob_)
            afterJob_();
    }
    g_main_context_release(context);
}

} // namespace velmora
