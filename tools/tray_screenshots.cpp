// Renders the README's pictures of the tray menu and the setup guide on the offscreen platform:
//   velmora_tray_screenshots <folder>
// writes tray-menu.png (during a capture, with a meeting's submenu open) and setup-guide.png.
#include "app/AppState.h"
#include "app/DesktopServices.h"
#include "app/NotificationService.h"
#include "app/OnboardingProvider.h"
#include "app/OnboardingState.h"
#include "app/TrayMenuActions.h"
#include "app/TrayMenuModel.h"
#include "capture/QtScheduler.h"
#include "capture/SerialExecutor.h"
#include "capture/SystemClock.h"
#include "sources/AXPermissionChecker.h"
#include "ui/OnboardingWindow.h"
#include "ui/TrayIcon.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QHBoxLayout>
#include <QPainter>
#include <QTemporaryDir>

#include <cstdio>

using namespace velmora;

namespace {

// The pictures only look; nothing is carried out.
class Inert final : public TrayMenuActions, public NotificationService,
                    public OnboardingProvider, public AXPermissionChecker, public SerialExecutor {
public:
    void openMainWindow() override {}
    void startMonitoring() override {}
    void pauseMonitoring() override {}
    void turnOnAccessibility() override {}
    void retry() override {}
    void openFile(const QString&) override {}
    void exportSummary(const QString&, ExportFormat) override {}
    void summarize(const MeetingRecord&) override {}
    void showInFileManager(const MeetingRecord&) override {}
    void openTranscriptsFolder() override {}
    void checkForUpdates() override {}
    void quit() override {}
    QCoro::Task<> requestPermission() override { co_return; }
    QCoro::Task<> showTranscriptSaved(QString) override { co_return; }
    QCoro::Task<> showTranscriptRecovered(QString) override { co_return; }
    bool hasCompletedOnboarding() const override { return false; }
    void markOnboardingCompleted() override {}
    bool isTrusted() override { return false; }
    void requestAccess() override {}
    void submit(std::function<void()> job, std::function<void()> resume) override {
        job();
        resume();
    }
};

class InertDesktop final : public DesktopServices {
public:
    void openFile(const QString&) override {}
    void openUrl(const QUrl&) override {}
    void revealFile(const QString&) override {}
    AccessibilitySwitch turnOnAccessibility() override { return {}; }
};

QString touch(const QDir& dir, const QString& name) {
    QFile file(dir.filePath(name));
    file.open(QIODevice::WriteOnly);
    return file.fileName();
}

// The menu with the first meeting's submenu open beside it, as the desktop shows them.
QImage menuPicture(QMenu& menu) {
    menu.adjustSize();
    const QImage top = menu.grab().toImage();
    QMenu* meetings = nullptr;
    for (QAction* action : menu.actions())
        if (action->menu() && action->text() == QLatin1String("Your Meetings"))
            meetings = action->menu();
    QImage list;
    QImage first;
    if (meetings) {
        meetings->adjustSize();
        list = meetings->grab().toImage();
        if (QMenu* meeting = meetings->actions().front()->menu()) {
            meeting->adjustSize();
            first = meeting->grab().toImage();
        }
    }
    const int meetingsTop = menu.actionGeometry(meetings ? meetings->menuAction() : menu.actions().front()).top();
    QImage picture(top.width() + list.width() + first.width(),
                   std::max({top.height(), meetingsTop + list.height(), meetingsTop + first.height()}),
                   QImage::Format_ARGB32);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.drawImage(0, 0, top);
    painter.drawImage(top.width(), meetingsTop, list);
    painter.drawImage(top.width() + list.width(), meetingsTop, first);
    return picture;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: velmora_tray_screenshots <folder>\n");
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    QDir().mkpath(out.path());
    QTemporaryDir files;
    const QDir dir(files.path());

    Inert inert;
    InertDesktop desktop;
    SystemClock clock;
    AppState state;
    state.setCaptureState(CaptureState::capturing());
    state.setCaptionSourceName(QStringLiteral("Google Meet"));
    state.setSessionDuration(1234);
    state.setLineCount(187);
    MeetingRecord standup{QUuid::createUuid(), clock.now().addSecs(-3 * 3600), 1520, CaptionSource::zoom,
                          touch(dir, QStringLiteral("standup.md")), touch(dir, QStringLiteral("standup.summary.md")),
                          std::nullopt};
    MeetingRecord review{QUuid::createUuid(), clock.now().addDays(-1), 3725, CaptionSource::browserTeams,
                         touch(dir, QStringLiteral("review.md")), std::nullopt, std::nullopt};
    state.setVisibleMeetings({standup, review});
    TrayMenuModel model(state, inert, clock);
    QMenu menu;
    TrayIcon::fill(menu, model.entries());
    const bool menuSaved = menuPicture(menu).save(out.filePath(QStringLiteral("tray-menu.png")));

    QtScheduler scheduler;
    OnboardingState onboarding(inert, inert, inert, inert);
    onboarding.setCurrentStep(OnboardingState::Step::captionTips);
    OnboardingWindow guide(onboarding, scheduler, desktop, {});
    guide.show();
    QApplication::processEvents();
    const bool guideSaved = guide.grab().save(out.filePath(QStringLiteral("setup-guide.png")));
    return menuSaved && guideSaved ? 0 : 1;
}
