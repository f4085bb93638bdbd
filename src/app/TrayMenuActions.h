#pragma once

#include "library/MeetingRecord.h"
#include "summary/ExportFormat.h"

#include <QString>

namespace velmora {

// What the tray menu's entries do. The menu model only decides which entries exist; these
// carry them out.
class TrayMenuActions {
public:
    virtual ~TrayMenuActions() = default;
    virtual void openMainWindow() = 0;
    virtual void startMonitoring() = 0;
    virtual void pauseMonitoring() = 0;
    virtual void turnOnAccessibility() = 0;
    virtual void retry() = 0;
    virtual void openFile(const QString& path) = 0;
    virtual void exportSummary(const QString& summaryPath, ExportFormat format) = 0;
    virtual void summarize(const MeetingRecord& record) = 0;
    virtual void showInFileManager(const MeetingRecord& record) = 0;
    virtual void openTranscriptsFolder() = 0;
    virtual void checkForUpdates() = 0;
    virtual void quit() = 0;
};

} // namespace velmora
