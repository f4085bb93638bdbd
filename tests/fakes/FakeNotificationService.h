#pragma once

#include "app/NotificationService.h"

#include <QStringList>

namespace velmora {

// Counts permission requests and remembers the transcripts announced.
class FakeNotificationService final : public NotificationService {
public:
    QCoro::Task<> requestPermission() override {
        ++permissionRequests;
        co_return;
    }
    QCoro::Task<> showTranscriptSaved(QString filePath) override {
        shown.append(filePath);
        co_return;
    }
    int permissionRequests = 0;
    QStringList shown;
};

} // namespace velmora
