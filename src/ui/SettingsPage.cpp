#include "ui/SettingsPage.h"

#include "app/AboutInfo.h"
#include "app/AppState.h"
#include "app/AutostartManager.h"
#include "app/FormatSettingsProvider.h"
#include "app/LanguageModelProbe.h"
#include "app/MeetingLibrary.h"
#include "app/NotificationCenterProviding.h"
#include "app/OutputDirectoryManager.h"
#include "app/SummarySettingsManager.h"
#include "capture/FileError.h"
#include "capture/Scheduler.h"
#include "capture/SerialExecutor.h"
#include "sources/AXPermissionChecker.h"
#include "summary/ConfiguredSummaryService.h"
#include "ui/AppearanceController.h"
#include "ui/ElidedLabel.h"
#include "ui/StatusRow.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QVBoxLayout>

namespace velmora {

namespace {

std::optional<QString> askForFolder(QWidget* parent, const QString& current) {
    QFileDialog dialog(parent, SettingsPage::tr("Choose a directory for Velmora transcripts"),
                       current);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    dialog.setLabelText(QFileDialog::Accept, SettingsPage::tr("Select"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().constFirst();
}

QPushButton* segment(const QString& text, const QString& group, QButtonGroup* buttons, int id,
                     QWidget* parent) {
    auto* button = new QPushButton(text, parent);
    button->setCheckable(true);
    button->setAccessibleName(group + QStringLiteral(": ") + text);
    // A sunken button is hard to tell apart in a dark palette: the chosen one is also bold.
    QObject::connect(button, &QPushButton::toggled, button, [button](bool checked) {
        QFont weight;
        weight.setBold(checked); // only the weight: the size follows the text scale
        button->setFont(weight);
    });
    buttons->addButton(button, id);
    return button;
}

QLabel* hint(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setWordWrap(true);
    label->setForegroundRole(QPalette::PlaceholderText);
    return label;
}

QGroupBox* section(const QString& title, QWidget* parent) {
    auto* box = new QGroupBox(title, parent);
    box->setAccessibleName(title);
    return box;
}

} // namespace

SettingsPage::SettingsPage(Services services, QWidget* parent)
    : QWidget(parent), services_(std::move(services)) {
    if (!services_.openUrl)
        services_.openUrl = [](const QUrl& url) { QDesktopServices::openUrl(url); };
    if (!services_.chooseFolder)
        services_.chooseFolder = askForFolder;
    setAccessibleName(tr("Settings"));

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    auto* scroll = new QScrollArea(this);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    outer->addWidget(scroll);
    auto* content = new QWidget(scroll);
    content->setMaximumWidth(720);
    auto* column = new QVBoxLayout(content);
    column->setContentsMargins(24, 20, 24, 20);
    column->setSpacing(16);
    column->addWidget(buildOutputSection());
    column->addWidget(buildFormatSection());
    column->addWidget(buildAppearanceSection());
    column->addWidget(buildPermissionsSection());
    if (services_.autostart)
        column->addWidget(buildStartupSection());
    column->addWidget(buildAboutSection());
    column->addStretch();
    auto* centring = new QWidget(scroll);
    auto* centre = new QHBoxLayout(centring);
    centre->setContentsMargins(0, 0, 0, 0);
    centre->addWidget(content);
    scroll->setWidget(centring);

    connect(&services_.appState, &AppState::zoomLevelChanged, this, [this] {
        zoomGroup_->button(int(ZoomLevels::all().indexOf(services_.appState.zoomLevel())))
            ->setChecked(true);
    });
    connect(&services_.appearance, &AppearanceController::modeChanged, this,
            [this](AppearanceMode mode) {
                modeGroup_->button(int(AppearanceModes::all().indexOf(mode)))->setChecked(true);
            });
    loadValues();
    refreshAccessibility();
}

SettingsPage::~SettingsPage() { recheck_.cancel(); }

QWidget* SettingsPage::buildOutputSection() {
    auto* box = section(tr("Output Directory"), this);
    auto* layout = new QVBoxLayout(box);
    directoryLabel_ = new ElidedLabel(box);
    directoryLabel_->setForegroundRole(QPalette::PlaceholderText);
    layout->addWidget(directoryLabel_);
    directoryError_ = new QLabel(box);
    directoryError_->setWordWrap(true);
    directoryError_->setStyleSheet(QStringLiteral("color: #d70015;"));
    directoryError_->hide();
    layout->addWidget(directoryError_);
    auto* buttons = new QHBoxLayout;
    auto* change = new QPushButton(tr("Change..."), box);
    connect(change, &QPushButton::clicked, this, [this] {
        if (const auto chosen = services_.chooseFolder(this, services_.outputDirectory.outputDirectory()))
            chooseOutputDirectory(*chosen);
    });
    resetButton_ = new QPushButton(tr("Reset to Default"), box);
    connect(resetButton_, &QPushButton::clicked, this, &SettingsPage::resetOutputDirectory);
    auto* open = new QPushButton(tr("Open in File Manager"), box);
    connect(open, &QPushButton::clicked, this, [this] {
        const QString folder = services_.outputDirectory.outputDirectory();
        // Nothing to show before the first meeting: open the nearest folder that exists.
        QDir existing(folder);
        while (!existing.exists() && existing.cdUp()) {
        }
        services_.openUrl(QUrl::fromLocalFile(existing.absolutePath()));
    });
    buttons->addWidget(change);
    buttons->addWidget(resetButton_);
    buttons->addWidget(open);
    buttons->addStretch();
    layout->addLayout(buttons);
    return box;
}

QWidget* SettingsPage::buildStartupSection() {
    auto* box = section(tr("Startup"), this);
    auto* layout = new QVBoxLayout(box);
    startAtLogin_ = new QCheckBox(tr("Start Velmora at login"), box);
    startAtLogin_->setChecked(services_.autostart->isEnabled());
    startAtLoginError_ = hint(QString(), box);
    startAtLoginError_->setForegroundRole(QPalette::Text);
    startAtLoginError_->hide();
    layout->addWidget(startAtLogin_);
    layout->addWidget(hint(tr("Velmora starts in the tray, without opening a window."), box));
    layout->addWidget(startAtLoginError_);
    connect(startAtLogin_, &QCheckBox::toggled, this, &SettingsPage::setStartAtLogin);
    return box;
}

void SettingsPage::setStartAtLogin(bool enabled) {
    try {
        services_.autostart->setEnabled(enabled);
        startAtLoginError_->hide();
    } catch (const FileError& error) {
        // The entry is as it was: the box shows that, and why.
        const QSignalBlocker blocker(startAtLogin_);
        startAtLogin_->setChecked(services_.autostart->isEnabled());
        startAtLoginError_->setText(error.message());
        startAtLoginError_->show();
    }
}

QWidget* SettingsPage::buildFormatSection() {
    auto* box = section(tr("Transcript Format"), this);
    auto* form = new QFormLayout(box);
    auto* choices = new QVBoxLayout;
    formatGroup_ = new QButtonGroup(box);
    const QList<TranscriptFormat> formats = TranscriptFormats::all();
    for (int i = 0; i < formats.size(); ++i) {
        auto* radio = new QRadioButton(TranscriptFormats::label(formats[i]), box);
        formatGroup_->addButton(radio, i);
        choices->addWidget(radio);
    }
    connect(formatGroup_, &QButtonGroup::idToggled, this, [this](int id, bool checked) {
        if (checked)
            services_.formatSettings.setTranscriptFormat(TranscriptFormats::all().at(id));
    });
    form->addRow(tr("Format"), choices);
    return box;
}

QWidget* SettingsPage::buildAppearanceSection() {
    auto* box = section(tr("Appearance"), this);
    auto* layout = new QVBoxLayout(box);
    auto* modes = new QHBoxLayout;
    modes->setSpacing(0);
    modeGroup_ = new QButtonGroup(box);
    const QStringList modeNames = {tr("System"), tr("Light"), tr("Dark")};
    for (int i = 0; i < modeNames.size(); ++i)
        modes->addWidget(segment(modeNames[i], tr("Mode"), modeGroup_, i, box));
    modes->addStretch();
    connect(modeGroup_, &QButtonGroup::idClicked, this, [this](int id) {
        services_.appearance.setMode(AppearanceModes::all().at(id));
    });
    layout->addLayout(modes);

    auto* sizes = new QHBoxLayout;
    sizes->setSpacing(0);
    zoomGroup_ = new QButtonGroup(box);
    const QList<ZoomLevel> levels = ZoomLevels::all();
    for (int i = 0; i < levels.size(); ++i)
        sizes->addWidget(segment(ZoomLevels::label(levels[i]), tr("Text size"), zoomGroup_, i, box));
    sizes->addStretch();
    connect(zoomGroup_, &QButtonGroup::idClicked, this,
            [this](int id) { services_.appState.setZoomLevel(ZoomLevels::all().at(id)); });
    layout->addWidget(new QLabel(tr("Text size"), box));
    layout->addLayout(sizes);
    layout->addWidget(hint(tr("Keyboard shortcuts: Ctrl++ Ctrl+- Ctrl+0"), box));
    return box;
}

QWidget* SettingsPage::buildPermissionsSection() {
    auto* box = section(tr("Permissions"), this);
    auto* layout = new QVBoxLayout(box);

    accessibilityRow_ = new StatusRow(tr("Accessibility"), box);
    turnOnButton_ = new QPushButton(tr("Turn On"), accessibilityRow_);
    turnOnButton_->setAccessibleName(tr("Turn On Accessibility"));
    connect(turnOnButton_, &QPushButton::clicked, this, [this] { turnOnAccessibility(this); });
    accessibilityRow_->addButton(turnOnButton_);
    layout->addWidget(accessibilityRow_);
    accessibilityNote_ = hint(QString(), box);
    accessibilityNote_->hide();
    layout->addWidget(accessibilityNote_);

    notificationsRow_ = new StatusRow(tr("Notifications"), box);
    layout->addWidget(notificationsRow_);
    filesRow_ = new StatusRow(tr("Files and Folders"), box);
    layout->addWidget(filesRow_);

    modelRow_ = new StatusRow(tr("Language Model"), box);
    layout->addWidget(modelRow_);
    auto* fields = new QFormLayout;
    modelUrlField_ = new QLineEdit(box);
    QStringList defaults;
    for (const QUrl& url : ConfiguredSummaryService::defaultServerUrls())
        defaults << url.toString();
    modelUrlField_->setPlaceholderText(defaults.join(QStringLiteral(", ")));
    modelUrlField_->setAccessibleName(tr("Language model server address"));
    modelNameField_ = new QLineEdit(box);
    modelNameField_->setPlaceholderText(tr("The first model the server lists"));
    modelNameField_->setAccessibleName(tr("Language model name"));
    connect(modelUrlField_, &QLineEdit::editingFinished, this, &SettingsPage::storeModelSettings);
    connect(modelNameField_, &QLineEdit::editingFinished, this, &SettingsPage::storeModelSettings);
    fields->addRow(tr("Server"), modelUrlField_);
    fields->addRow(tr("Model"), modelNameField_);
    layout->addLayout(fields);
    layout->addWidget(hint(tr("Summaries use a new server or model from the next start of "
                              "Velmora. No data leaves your computer."),
                           box));
    return box;
}

QWidget* SettingsPage::buildAboutSection() {
    auto* box = section(tr("About"), this);
    auto* layout = new QVBoxLayout(box);
    auto* name = new QLabel(QStringLiteral("Velmora"), box);
    QFont bold;
    bold.setBold(true);
    name->setFont(bold);
    layout->addWidget(name);
    const QString version = QCoreApplication::applicationVersion();
    layout->addWidget(new QLabel(
        AboutInfo::versionString(version.isEmpty() ? QStringLiteral(VELMORA_VERSION) : version,
                                 std::nullopt),
        box));
    auto* links = new QHBoxLayout;
    const QList<std::pair<QString, QUrl>> targets = {
        {tr("Website"), AboutInfo::websiteURL()},
        {tr("Send Feedback"), AboutInfo::feedbackURL()},
        {tr("Contact Support"), AboutInfo::supportEmailURL()},
        {tr("Privacy Policy"), AboutInfo::privacyURL()},
    };
    for (const auto& [text, url] : targets) {
        auto* link = new QPushButton(text, box);
        link->setFlat(true);
        link->setToolTip(url.toString());
        link->setCursor(Qt::PointingHandCursor);
        connect(link, &QPushButton::clicked, this, [this, url = url] { services_.openUrl(url); });
        links->addWidget(link);
    }
    links->addStretch();
    layout->addLayout(links);
    auto* guide = new QPushButton(tr("Setup Guide"), box);
    guide->setEnabled(bool(services_.onSetupGuide));
    connect(guide, &QPushButton::clicked, this, [this] {
        if (services_.onSetupGuide)
            services_.onSetupGuide();
    });
    layout->addWidget(guide, 0, Qt::AlignLeft);
    return box;
}

void SettingsPage::refresh() {
    loadValues();
    refreshAccessibility();
    checkNotifications(this);
    checkLanguageModel(this);
}

void SettingsPage::loadValues() {
    refreshOutputDirectory();
    const int format = int(TranscriptFormats::all().indexOf(services_.formatSettings.transcriptFormat()));
    formatGroup_->button(format)->setChecked(true);
    modeGroup_->button(int(AppearanceModes::all().indexOf(services_.appearance.mode())))->setChecked(true);
    zoomGroup_->button(int(ZoomLevels::all().indexOf(services_.appState.zoomLevel())))->setChecked(true);
    const SummarySettingsManager summary(services_.settings);
    modelUrlField_->setText(summary.modelServerURL().toString());
    modelNameField_->setText(summary.modelName());
}

void SettingsPage::refreshOutputDirectory() {
    const QString folder = services_.outputDirectory.outputDirectory();
    directoryLabel_->setFullText(QDir::toNativeSeparators(folder));
    resetButton_->setEnabled(services_.outputDirectory.customDirectory().has_value());
    if (OutputDirectoryManager::isWritable(folder))
        filesRow_->setStatus(StatusRow::Icon::good, tr("Required for saving transcripts"));
    else
        filesRow_->setStatus(StatusRow::Icon::bad, tr("Velmora cannot write to the output folder"),
                             QDir::toNativeSeparators(folder));
}

bool SettingsPage::chooseOutputDirectory(const QString& path) {
    const QString folder = QDir::cleanPath(QDir(path).absolutePath());
    if (!OutputDirectoryManager::isWritable(folder)) {
        directoryError_->setText(
            tr("Velmora cannot write to %1. Choose another folder.").arg(QDir::toNativeSeparators(folder)));
        directoryError_->show();
        return false;
    }
    directoryError_->hide();
    services_.outputDirectory.setCustomDirectory(folder);
    if (services_.library)
        services_.library->refreshFolder();
    refreshOutputDirectory();
    return true;
}

void SettingsPage::resetOutputDirectory() {
    directoryError_->hide();
    services_.outputDirectory.setCustomDirectory(std::nullopt);
    if (services_.library)
        services_.library->refreshFolder();
    refreshOutputDirectory();
}

void SettingsPage::refreshAccessibility() {
    [](QPointer<SettingsPage> self) -> QCoro::Task<> {
        AXPermissionChecker& checker = self->services_.permissionChecker;
        auto asked = askAccessibility(self, [&checker] { return checker.isTrusted(); });
        const bool on = co_await asked;
        if (self)
            self->showAccessibility(on);
    }(this);
}

QCoro::Task<bool> SettingsPage::askAccessibility(QPointer<SettingsPage> self, std::function<bool()> ask) {
    SerialExecutor* queue = self->services_.accessibilityQueue;
    if (!queue)
        co_return ask();
    auto job = queue->run(std::move(ask));
    co_return co_await job;
}

void SettingsPage::showAccessibility(bool on) {
    if (on)
        accessibilityRow_->setStatus(StatusRow::Icon::good, tr("On"));
    else
        accessibilityRow_->setStatus(StatusRow::Icon::bad, tr("Off"),
                                     tr("Velmora reads captions through the desktop's "
                                        "accessibility interface."));
    turnOnButton_->setVisible(!on);
}

QCoro::Task<> SettingsPage::turnOnAccessibility(QPointer<SettingsPage> self) {
    AXPermissionChecker& checker = self->services_.permissionChecker;
    auto asked = askAccessibility(self, [&checker] {
        checker.requestAccess();
        return checker.isTrusted();
    });
    const bool on = co_await asked;
    if (!self)
        co_return;
    self->showAccessibility(on);
    self->accessibilityNote_->setText(
        on ? tr("Accessibility is on. Restart your browser so that Velmora can read its captions.")
           : tr("Accessibility could not be turned on: no accessibility service answers on this "
                "desktop. Turn on assistive technologies in your desktop's accessibility "
                "settings."));
    self->accessibilityNote_->show();
}

void SettingsPage::storeModelSettings() {
    SummarySettingsManager summary(services_.settings);
    const QString url = modelUrlField_->text().trimmed();
    const QUrl parsed(url, QUrl::StrictMode);
    const bool web = parsed.scheme() == u"http" || parsed.scheme() == u"https";
    if (!url.isEmpty() && (!parsed.isValid() || !web || parsed.host().isEmpty())) {
        modelRow_->setStatus(StatusRow::Icon::bad, tr("Not a server address"),
                             tr("Enter an address such as http://127.0.0.1:8080/v1."));
        return;
    }
    const QUrl stored = url.isEmpty() ? QUrl() : parsed;
    const QString name = modelNameField_->text().trimmed();
    if (stored == summary.modelServerURL() && name == summary.modelName())
        return;
    summary.setModelServerURL(stored);
    summary.setModelName(name);
    checkLanguageModel(this);
}

QString SettingsPage::accessibilityStatus() const { return accessibilityRow_->statusText(); }
QString SettingsPage::notificationStatus() const { return notificationsRow_->statusText(); }
QString SettingsPage::languageModelStatus() const { return modelRow_->statusText(); }

QString SettingsPage::availabilityText(ModelAvailability availability) {
    switch (availability) {
    case ModelAvailability::available: return tr("Available");
    case ModelAvailability::notRunning: return tr("Not running");
    case ModelAvailability::loading: return tr("Loading");
    case ModelAvailability::unknown: return tr("Unknown");
    }
    return tr("Unknown");
}

QCoro::Task<> SettingsPage::checkNotifications(QPointer<SettingsPage> self) {
    using Status = NotificationCenterProviding::AuthorizationStatus;
    NotificationCenterProviding& center = self->services_.notificationCenter;
    std::optional<Status> status;
    QString failure;
    try {
        auto asking = center.authorizationStatus();
        status = co_await asking;
    } catch (const std::exception& error) {
        failure = QString::fromUtf8(error.what());
    }
    if (!self)
        co_return;
    StatusRow* row = self->notificationsRow_;
    if (!status)
        row->setStatus(StatusRow::Icon::bad, tr("Not available"), failure);
    else if (*status == Status::authorized)
        row->setStatus(StatusRow::Icon::good, tr("Available"), center.statusDescription(*status));
    else if (*status == Status::denied)
        row->setStatus(StatusRow::Icon::bad, tr("No notification service"),
                       center.statusDescription(*status));
    else
        row->setStatus(StatusRow::Icon::unknown, tr("Not checked"), center.statusDescription(*status));
}

QCoro::Task<> SettingsPage::checkLanguageModel(QPointer<SettingsPage> self) {
    // One check at a time: a slow server must not pile up requests every 5 s.
    if (self->checkingModel_) {
        self->checkModelAgain_ = true;
        co_return;
    }
    self->checkingModel_ = true;
    const SummarySettingsManager summary(self->services_.settings);
    LanguageModelProbe::Models models = ConfiguredSummaryService::serverModels(
        summary.modelServerURL(), summary.modelName(), self->services_.scheduler);
    auto checking = LanguageModelProbe::check(std::move(models));
    const LanguageModelStatus status = co_await checking;
    if (!self)
        co_return;
    self->checkingModel_ = false;
    const StatusRow::Icon icon = [&] {
        switch (status.availability) {
        case ModelAvailability::available: return StatusRow::Icon::good;
        case ModelAvailability::notRunning: return StatusRow::Icon::bad;
        case ModelAvailability::loading: return StatusRow::Icon::waiting;
        case ModelAvailability::unknown: return StatusRow::Icon::unknown;
        }
        return StatusRow::Icon::unknown;
    }();
    self->modelRow_->setStatus(icon, availabilityText(status.availability), status.server);
    emit self->languageModelChecked(status.availability);
    if (std::exchange(self->checkModelAgain_, false))
        checkLanguageModel(self);
}

QCoro::Task<> SettingsPage::recheckWhileShown(QPointer<SettingsPage> self, CancelToken token) {
    while (self && !token.isCancelled()) {
        auto pause = self->services_.scheduler.sleep(recheckInterval, token);
        if (!co_await pause || !self)
            co_return;
        self->refreshAccessibility();
        self->refreshOutputDirectory();
        // A server slower than the interval is asked again only once it has answered.
        if (!self->checkingModel_)
            checkLanguageModel(self);
    }
}

void SettingsPage::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    recheck_.cancel();
    recheck_ = CancelToken();
    refresh();
    recheckWhileShown(this, recheck_);
}

void SettingsPage::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    recheck_.cancel();
}

} // namespace velmora
