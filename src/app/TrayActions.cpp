#include "app/TrayActions.h"

#include "app/AboutInfo.h"
#include "app/AppController.h"
#include "app/AppState.h"
#include "app/DesktopServices.h"
#include "app/Logging.h"
#include "app/OutputDirectoryProvider.h"
#include "capture/FileError.h"
#include "summary/ExportError.h"
#include "summary/SummaryExporter.h"

namespace velmora {

TrayActions::TrayActions(AppState& state, OutputDirectoryProvider& outputDirectory,
                         SummaryExporter& exporter, DesktopServices& desktop, Callbacks callbacks)
    : state_(state), outputDirectory_(outputDirectory), exporter_(exporter), desktop_(desktop),
      callbacks_(std::move(callbacks)) {}

void TrayActions::setController(AppController* controller) { controller_ = controller; }

void TrayActions::openMainWindow() {
    if (callbacks_.openMainWindow)
        callbacks_.openMainWindow();
}

void TrayActions::startMonitoring() {
    if (controller_)
        controller_->startMonitoring();
}

void TrayActions::pauseMonitoring() {
    if (controller_)
        controller_->stopMonitoring();
    if (state_.captureState() == CaptureState::monitoring())
        state_.setCaptureState(CaptureState::idle());
}

void TrayActions::turnOnAccessibility() {
    const auto result = desktop_.turnOnAccessibility();
    qCInfo(lcApp, "Accessibility switched %s; browsers to restart: %s", result.enabled ? "on" : "off",
           qUtf8Printable(result.browsersToRestart.join(QStringLiteral(", "))));
    if (callbacks_.accessibilitySwitched)
        callbacks_.accessibilitySwitched(result);
    // The controller checks trust again on its own; a retry starts capturing at once.
    if (result.enabled)
        retry();
}

void TrayActions::retry() {
    if (controller_)
        controller_->initialize();
}

void TrayActions::openFile(const QString& path) { desktop_.openFile(path); }

void TrayActions::exportSummary(const QString& summaryPath, ExportFormat format) {
    exportAndReveal(summaryPath, format);
}

QCoro::Task<std::optional<QString>> TrayActions::exportAndReveal(QString summaryPath, ExportFormat format) {
    const QString target = ExportFormats::defaultDestination(summaryPath, format);
    try {
        auto written = format == ExportFormat::pdf ? exporter_.exportPDF(summaryPath, target)
                                                   : exporter_.exportDOCX(summaryPath, target);
        co_await written;
    } catch (const FileError& error) {
        qCWarning(lcApp, "Export failed: %s", error.what());
        co_return std::nullopt;
    } catch (const ExportError& error) {
        qCWarning(lcApp, "Export failed: %s", error.what());
        co_return std::nullopt;
    }
    desktop_.revealFile(target);
    co_return target;
}

void TrayActions::summarize(const MeetingRecord& record) {
    if (controller_)
        controller_->summarizeMeeting(record, std::nullopt);
}

void TrayActions::showInFileManager(const MeetingRecord& record) {
    if (record.transcriptPath)
        desktop_.revealFile(*record.transcriptPath);
    else
        openTranscriptsFolder();
}

void TrayActions::openTranscriptsFolder() { desktop_.openFile(outputDirectory_.outputDirectory()); }

void TrayActions::checkForUpdates() { desktop_.openUrl(AboutInfo::releasesURL()); }

void TrayActions::quit() {
    if (callbacks_.quit)
        callbacks_.quit();
}

} // namespace velmora
