#include "ui/DesktopApplication.h"

#include "app/AppController.h"
#include "app/AppState.h"
#include "app/CompositionRoot.h"
#include "app/SummarySettingsManager.h"
#include "sources/SystemAXPermissionChecker.h"
#include "summary/ConfiguredSummaryService.h"
#include "ui/OnboardingWindow.h"
#include "ui/TrayIcon.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPushButton>
#include <QWidget>

namespace velmora {

DesktopApplication::DesktopApplication(CompositionRoot& root, DesktopServices& desktop,
                                       AutostartManager& autostart, Options options, QObject* parent)
    : QObject(parent), root_(root), desktop_(desktop), options_(std::move(options)),
      permissionChecker_(std::make_unique<SystemAXPermissionChecker>(root.platform().accessibility)),
      onboardingManager_(root.settings()) {
    onboardingState_ = std::make_unique<OnboardingState>(*permissionChecker_, root.platform().accessibilityQueue,
                                                         onboardingManager_, root.notificationService());
    TrayActions::Callbacks callbacks{
        [this] { lifecycle_->reopen(); },
        [this] { lifecycle_->quit(); },
        [](const DesktopServices::AccessibilitySwitch& result) {
            if (result.browsersToRestart.isEmpty())
                return;
            QMessageBox::information(nullptr, QStringLiteral("Velmora"),
                                     QStringLiteral("Accessibility is on. Restart %1 so that Velmora can "
                                                    "read its meetings.")
                                         .arg(result.browsersToRestart.join(QStringLiteral(", "))));
        }};
    actions_ = std::make_unique<TrayActions>(root.appState(), root.outputDirectory(), exporter_, desktop_,
                                             std::move(callbacks));
    ApplicationLifecycle::Windows windows{[this] { showMainWindow(); }, [this] { showGuide(); },
                                          [this] { closeGuide(); }, [this] { closeAllWindows(); }};
    ApplicationLifecycle::Controller controller{[&root] { return root.controller().initialize(); },
                                                [&root] { return root.controller().shutdown(); }};
    // Without a tray nothing would show a Velmora started at login.
    const bool hideAtLogin = options_.launchedAtLogin && hasTray();
    lifecycle_ = std::make_unique<ApplicationLifecycle>(
        onboardingManager_, autostart, std::move(windows), std::move(controller),
        [](int status) { QCoreApplication::exit(status); }, hideAtLogin);
    connect(lifecycle_.get(), &ApplicationLifecycle::controllerStarting, this,
            [this] { actions_->setController(&root_.controller()); });

    QApplication::setQuitOnLastWindowClosed(false);
    qApp->installEventFilter(this);
    connect(qApp, &QGuiApplication::lastWindowClosed, this, [this] {
        if (!hasTray() && !lifecycle_->isQuitting())
            askWhetherToQuit();
    });
    // Logging out ends the process soon after asking it to save: finalise now.
    connect(qApp, &QGuiApplication::commitDataRequest, this, [this](QSessionManager&) {
        auto quit = lifecycle_->quit();
        QCoro::waitFor(quit);
    });
}

DesktopApplication::~DesktopApplication() { qApp->removeEventFilter(this); }

QCoro::Task<> DesktopApplication::start() {
    tray_ = std::make_unique<TrayIcon>(root_.appState(),
                                       TrayMenuModel(root_.appState(), *actions_, root_.clock()));
    tray_->show();
    if (!onboardingManager_.hasCompletedOnboarding()) {
        auto checked = onboardingState_->checkTrust();
        co_await checked;
    }
    auto launch = lifecycle_->launch();
    co_await launch;
}

OnboardingWindow& DesktopApplication::guideWindow() {
    if (!guide_) {
        const SummarySettingsManager summarySettings(root_.settings());
        guide_ = std::make_unique<OnboardingWindow>(
            *onboardingState_, root_.scheduler(), desktop_,
            ConfiguredSummaryService::serverModels(summarySettings.modelServerURL(),
                                                   summarySettings.modelName(), root_.scheduler()));
        connect(guide_.get(), &OnboardingWindow::completed, this, [this] { lifecycle_->guideFinished(); });
    }
    return *guide_;
}

void DesktopApplication::showMainWindow() {
    if (openMainWindow_)
        openMainWindow_();
    else
        showGuide();
}

void DesktopApplication::showGuide() { guideWindow().showAndRaise(); }

void DesktopApplication::closeGuide() {
    if (guide_)
        guide_->hide();
}

void DesktopApplication::closeAllWindows() {
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window->isVisible())
            window->close();
    }
}

bool DesktopApplication::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::ShortcutOverride || event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->matches(QKeySequence::Quit) && watched->isWidgetType()) {
            if (event->type() == QEvent::KeyPress)
                lifecycle_->closeRequested();
            event->accept();
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

void DesktopApplication::askWhetherToQuit() {
    if (asking_)
        return;
    asking_ = true;
    const bool capturing = root_.appState().captureState().isCapturingOrPaused();
    QMessageBox box(QMessageBox::Question, QStringLiteral("Velmora"),
                    capturing ? QStringLiteral("Stop recording and quit Velmora?")
                              : QStringLiteral("Quit Velmora?"));
    box.setInformativeText(QStringLiteral(
        "Velmora records captions only while it runs, and your desktop has no system tray to "
        "bring it back from."));
    QPushButton* quit = box.addButton(QStringLiteral("Quit Velmora"), QMessageBox::AcceptRole);
    box.addButton(QStringLiteral("Keep Running"), QMessageBox::RejectRole);
    box.setDefaultButton(quit);
    box.exec();
    asking_ = false;
    if (box.clickedButton() == quit)
        lifecycle_->quit();
    else
        lifecycle_->reopen();
}

} // namespace velmora
