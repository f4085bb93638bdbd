#pragma once

#include "app/DesktopServices.h"
#include "app/TrayMenuActions.h"

#include <QCoroTask>
#include <QPointer>

#include <functional>

namespace velmora {

class AppController;
class AppState;
class OutputDirectoryProvider;
class SummaryExporter;

// The tray menu's entries carried out by the controller, the exporter and the desktop.
// The controller is absent until the application has one running (after the first-run guide);
// until then the entries that need it do nothing.
class TrayActions final : public TrayMenuActions {
public:
    struct Callbacks {
        std::function<void()> openMainWindow;
        std::function<void()> quit;
        // Tells the user what switching accessibility on did (which browsers to restart).
        std::function<void(const DesktopServices::AccessibilitySwitch&)> accessibilitySwitched;
    };

    TrayActions(AppState& state, OutputDirectoryProvider& outputDirectory, SummaryExporter& exporter,
                DesktopServices& desktop, Callbacks callbacks);

    void setController(AppController* controller);

    void openMainWindow() override;
    void startMonitoring() override;
    void pauseMonitoring() override;
    void turnOnAccessibility() override;
    void retry() override;
    void openFile(const QString& path) override;
    void exportSummary(const QString& summaryPath, ExportFormat format) override;
    void summarize(const MeetingRecord& record) override;
    void showInFileManager(const MeetingRecord& record) override;
    void openTranscriptsFolder() override;
    void checkForUpdates() override;
    void quit() override;

    // Writes the summary beside itself in `format` and shows the new file selected; a
    // failure is only logged. Resolves to the document written, or nothing.
    QCoro::Task<std::optional<QString>> exportAndReveal(QString summaryPath, ExportFormat format);

private:
    AppState& state_;
    OutputDirectoryProvider& outputDirectory_;
    SummaryExporter& exporter_;
    DesktopServices& desktop_;
    Callbacks callbacks_;
    QPointer<AppController> controller_;
};

} // namespace velmora
