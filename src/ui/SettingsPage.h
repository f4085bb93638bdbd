#pragma once

#include "capture/CancelToken.h"
#include "summary/ModelAvailability.h"

#include <QCoroTask>
#include <QPointer>
#include <QSettings>
#include <QUrl>
#include <QWidget>

#include <chrono>
#include <functional>
#include <optional>

class QAbstractButton;
class QButtonGroup;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace velmora {

class AppState;
class AppearanceController;
class AutostartManager;
class AXPermissionChecker;
class ElidedLabel;
class FormatSettingsProvider;
class MeetingLibrary;
class NotificationCenterProviding;
class OutputDirectoryProvider;
class Scheduler;
class SerialExecutor;
class StatusRow;

// The settings page: "Output Directory", "Transcript Format", "Appearance", "Permissions" and
// "About". Every change is stored at once. Choosing or resetting the output folder moves the
// meeting library there. While the page is shown, accessibility and the language model server
// are checked again every 5 s (through the Scheduler); hidden, it checks nothing. Main thread.
class SettingsPage final : public QWidget {
    Q_OBJECT
public:
    static constexpr std::chrono::seconds recheckInterval{5};

    // What the page reads and changes. References must outlive the page.
    struct Services {
        AppState& appState; // zoom level
        QSettings& settings; // summary server address and model name
        OutputDirectoryProvider& outputDirectory;
        FormatSettingsProvider& formatSettings;
        AppearanceController& appearance;
        AXPermissionChecker& permissionChecker;
        NotificationCenterProviding& notificationCenter;
        Scheduler& scheduler;
        // Follows a new output folder; may be null (no library to move).
        MeetingLibrary* library = nullptr;
        // Reopens the first-run guide; the button is disabled without it.
        std::function<void()> onSetupGuide;
        // Opens folders and web pages; QDesktopServices::openUrl by default.
        std::function<void(const QUrl&)> openUrl;
        // Asks for a folder, starting at the current one; a QFileDialog by default.
        std::function<std::optional<QString>(QWidget* parent, const QString& current)> chooseFolder;
        // "Start Velmora at login"; the section is left out without it (e.g. `velmora --window`).
        AutostartManager* autostart = nullptr;
        // Where the accessibility checks run: the permission checker waits for the accessibility
        // thread, which a browser scan may hold for seconds. Asked directly without one (tests).
        SerialExecutor* accessibilityQueue = nullptr;
    };

    explicit SettingsPage(Services services, QWidget* parent = nullptr);
    ~SettingsPage() override;

    // Re-reads every value and status the page shows.
    void refresh();
    // Sets the output folder as "Change..." does; false (with the reason shown) when Velmora
    // cannot write there, and nothing is changed then.
    bool chooseOutputDirectory(const QString& path);
    void resetOutputDirectory();

    // Status texts, for tests and screen readers alike.
    QString accessibilityStatus() const;
    QString notificationStatus() const;
    QString languageModelStatus() const;
    static QString availabilityText(ModelAvailability availability);
    bool isCheckingLanguageModel() const { return checkingModel_; }

signals:
    // A language model check finished (the row shows its result).
    void languageModelChecked(velmora::ModelAvailability availability);

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    QWidget* buildOutputSection();
    QWidget* buildFormatSection();
    QWidget* buildAppearanceSection();
    QWidget* buildPermissionsSection();
    QWidget* buildAboutSection();
    QWidget* buildStartupSection();
    void setStartAtLogin(bool enabled);
    void loadValues();
    void refreshOutputDirectory();
    void refreshAccessibility();
    void showAccessibility(bool on);
    // Runs `ask` where the accessibility checks belong; whether accessibility is on.
    static QCoro::Task<bool> askAccessibility(QPointer<SettingsPage> self, std::function<bool()> ask);
    static QCoro::Task<> turnOnAccessibility(QPointer<SettingsPage> self);
    void storeModelSettings();
    static QCoro::Task<> checkNotifications(QPointer<SettingsPage> self);
    static QCoro::Task<> checkLanguageModel(QPointer<SettingsPage> self);
    static QCoro::Task<> recheckWhileShown(QPointer<SettingsPage> self, CancelToken token);

    Services services_;
    CancelToken recheck_;
    bool checkingModel_ = false;
    bool checkModelAgain_ = false; // the settings changed during a check
    ElidedLabel* directoryLabel_ = nullptr;
    QLabel* directoryError_ = nullptr;
    QCheckBox* startAtLogin_ = nullptr;
    QLabel* startAtLoginError_ = nullptr;
    QPushButton* resetButton_ = nullptr;
    QButtonGroup* formatGroup_ = nullptr;
    QButtonGroup* modeGroup_ = nullptr;
    QButtonGroup* zoomGroup_ = nullptr;
    StatusRow* accessibilityRow_ = nullptr;
    QPushButton* turnOnButton_ = nullptr;
    QLabel* accessibilityNote_ = nullptr;
    StatusRow* notificationsRow_ = nullptr;
    StatusRow* filesRow_ = nullptr;
    StatusRow* modelRow_ = nullptr;
    QLineEdit* modelUrlField_ = nullptr;
    QLineEdit* modelNameField_ = nullptr;
};

} // namespace velmora
