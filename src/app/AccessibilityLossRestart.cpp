#include "app/AccessibilityLossRestart.h"

#include "app/AppController.h"
#include "app/Logging.h"
#include "capture/SerialExecutor.h"
#include "sources/Accessibility.h"

#include <algorithm>

namespace velmora {

AccessibilityLossRestart::AccessibilityLossRestart(Accessibility& accessibility,
                                                   SerialExecutor& accessibilityQueue,
                                                   Scheduler& scheduler, const AppController& controller,
                                                   std::function<void(int)> restart, int quickRestartsBefore,
                                                   QObject* parent)
    : QObject(parent), accessibility_(accessibility), accessibilityQueue_(accessibilityQueue),
      scheduler_(scheduler), controller_(controller), restart_(std::move(restart)),
      quickRestartsBefore_(std::max(quickRestartsBefore, 0)), startedAt_(scheduler.elapsed()) {}

AccessibilityLossRestart::~AccessibilityLossRestart() {
    if (task_)
        task_->cancel();
}

void AccessibilityLossRestart::start() {
    if (task_)
        return;
    CancelToken token;
    task_ = token;
    watch(this, token);
}

Duration AccessibilityLossRestart::uptimeGuard() const {
    Duration guard = minimumUptime;
    for (int i = 0; i < quickRestartsBefore_ && guard < maximumUptimeGuard; ++i)
        guard *= 2;
    return std::min(guard, maximumUptimeGuard);
}

int AccessibilityLossRestart::quickRestartsAfterThisOne() const {
    return scheduler_.elapsed() - startedAt_ < longRun ? quickRestartsBefore_ + 1 : 0;
}

bool AccessibilityLossRestart::mayRestartNow() const {
    // A meeting being recorded, ended or in its cooldown is saved before anything else.
    const CapturePhase phase = controller_.phase();
    if (phase != CapturePhase::idle && phase != CapturePhase::monitoring)
        return false;
    return scheduler_.elapsed() - startedAt_ >= uptimeGuard();
}

QCoro::Task<> AccessibilityLossRestart::watch(QPointer<AccessibilityLossRestart> self, CancelToken token) {
    Scheduler& scheduler = self->scheduler_;
    while (true) {
        auto pause = scheduler.sleep(checkInterval, token);
        co_await pause;
        if (token.isCancelled() || !self)
            co_return;
        if (!self->lost_) {
            Accessibility& ax = self->accessibility_;
            auto check = self->accessibilityQueue_.run([&ax] { return ax.isConnectionLost(); });
            const bool lost = co_await check;
            if (token.isCancelled() || !self)
                co_return;
            if (!lost)
                continue;
            self->lost_ = true;
            qCWarning(lcApp, "Lost the accessibility connection; Velmora restarts once nothing is recording");
        }
        if (!self->mayRestartNow())
            continue;
        // While the desktop says accessibility is off, or nothing answers for it yet, a new
        // process would not start monitoring: ask now, not what the last check found.
        Accessibility& ax = self->accessibility_;
        auto trustCheck = self->accessibilityQueue_.run([&ax] { return ax.isProcessTrusted(); });
        const bool trusted = co_await trustCheck;
        if (token.isCancelled() || !self)
            co_return;
        if (!trusted || !self->mayRestartNow())
            continue;
        qCWarning(lcApp, "Accessibility bus lost; restarting to reconnect");
        self->task_.reset();
        self->restart_(self->quickRestartsAfterThisOne());
        co_return;
    }
}

} // namespace velmora
