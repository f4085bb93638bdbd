#pragma once

#include "app/NotificationCenterProviding.h"
#include "app/NotificationDelegate.h"
#include "app/NotificationService.h"

namespace velmora {

class FileRevealer;

// Posts "Transcript Saved" through the desktop's notification centre; a click reveals the file.
class NotificationManager final : public NotificationService {
public:
    NotificationManager(NotificationCenterProviding& notificationCenter, FileRevealer& revealer);
    ~NotificationManager() override;

    QCoro::Task<> requestPermission() override;
    QCoro::Task<> showTranscriptSaved(QString filePath) override;

private:
    NotificationCenterProviding& notificationCenter_;
    NotificationDelegate delegate_;
};

} // namespace velmora
