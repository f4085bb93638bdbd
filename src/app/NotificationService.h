#pragma once

#include <QCoroTask>
#include <QString>

namespace velmora {

// What the controller and the onboarding guide ask of notifications. Failures are logged,
// never reported.
class NotificationService {
public:
    virtual ~NotificationService() = default;
    virtual QCoro::Task<> requestPermission() = 0;
    // `filePath` is the absolute path of the finished transcript.
    virtual QCoro::Task<> showTranscriptSaved(QString filePath) = 0;
    // A transcript left unfinished by an earlier run was completed at start-up.
    virtual QCoro::Task<> showTranscriptRecovered(QString filePath) = 0;
};

} // namespace velmora
