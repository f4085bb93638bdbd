#pragma once

#include "app/NotificationCenterProviding.h"
#include "app/NotificationDelegate.h"
#include "app/NotificationService.h"

namespace velmora {

class FileRevealer;

// Posts "Transcript Saved" and "Transcript Recovered" through the desktop's notification centre; a click reveals the file.
class NotificationManager final : public NotificationService {
public:
    NotificationManager(NotificationCenterProviding& notificationCenter, FileRevealer& revealer);
    ~NotificationManager() override;

    QCoro::Task<> requestPermission() override;
    QCoro::Task<> showTranscriptSaved(QString filePath) override;
    QCoro::Task<> showTranscriptRecovered(QString filePath) override;

private:
    // A notification naming the transcript at `filePath`, which a click reveals.
    QCoro::Task<> showAboutTranscript(QString title, QString filePath);

    NotificationCenterProviding& notificationCenter_;
    NotificationDelegate delegate_;
};

} // namespace velmora
