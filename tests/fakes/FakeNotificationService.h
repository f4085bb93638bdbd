#pragma once

#include "app/NotificationService.h"
#include "fakes/HeldCalls.h"

#include <QStringList>

namespace velmora {

// Counts permission requests and remembers the transcripts announced. Its calls can be held
// like a desktop notification server that answers late.
class FakeNotificationService final : public NotificationService {
public:
    QCoro::Task<> requestPermission() override {
        ++permissionRequests;
        auto pass = permissionCalls.pass();
        co_await pass;
    }
    QCoro::Task<> showTranscriptSaved(QString filePath) override {
        auto pass = shownCalls.pass();
        co_await pass;
        shown.append(filePath);
    }
    QCoro::Task<> showTranscriptRecovered(QString filePath) override {
        recovered.append(filePath);
        co_return;
    }
    int permissionRequests = 0;
    QStringList recovered;
    QStringList shown;
    HeldCalls permissionCalls;
    HeldCalls shownCalls;
};

} // namespace velmora
