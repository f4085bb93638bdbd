#include "ui/OnboardingWindow.h"

#include "app/CaptionTip.h"
#include "app/DesktopServices.h"
#include "app/NotificationService.h"
#include "app/PermissionStepPoll.h"
#include "summary/LanguageModel.h"
#include "ui/UiResources.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

namespace velmora {

using Step = OnboardingState::Step;

namespace {

QLabel* wrapped(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    label->setTextFormat(Qt::PlainText);
    return label;
}

QString browserList(const QStringList& browsers) {
    if (browsers.size() < 2)
        return browsers.value(0);
    return QStringList(browsers.mid(0, browsers.size() - 1)).join(QStringLiteral(", ")) +
           QStringLiteral(" and ") + browsers.last();
}

} // namespace

OnboardingWindow::OnboardingWindow(OnboardingState& state, Scheduler& scheduler, DesktopServices& desktop,
                                   std::vector<std::shared_ptr<LanguageModel>> models, QWidget* parent)
    : QWidget(parent, Qt::Window), state_(state), scheduler_(scheduler), desktop_(desktop),
      models_(std::move(models)) {
    UiResources::load();
    setWindowTitle(QStringLiteral("Velmora Setup"));
    setFixedSize(fixedContentSize);
    setWindowIcon(QIcon(QStringLiteral(":/velmora/icons/app.svg")));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(32, 28, 32, 24);
    connect(&state_, &OnboardingState::currentStepChanged, this, &OnboardingWindow::showStep);
    showStep();
}

OnboardingWindow::~OnboardingWindow() = default;

void OnboardingWindow::showAndRaise() {
    show();
    raise();
    activateWindow();
}

void OnboardingWindow::showEvent(QShowEvent* event) {
    // The trust poll runs only while the window is up.
    if (!poll_)
        poll_ = std::make_unique<PermissionStepPoll>(state_, scheduler_);
    QWidget::showEvent(event);
}

void OnboardingWindow::closeEvent(QCloseEvent* event) {
    poll_.reset();
    QWidget::closeEvent(event);
}

void OnboardingWindow::clearStep() {
    // The step may change from a click on one of this page's buttons: the page goes later.
    if (page_) {
        page_->hide();
        page_->deleteLater();
    }
    page_ = new QWidget(this);
    pageLayout_ = new QVBoxLayout(page_);
    pageLayout_->setContentsMargins(0, 0, 0, 0);
    pageLayout_->setSpacing(12);
    buttons_ = nullptr;
    accessibilityResult_ = nullptr;
    pageFilled_ = false;
    layout()->addWidget(page_);
}

void OnboardingWindow::addHeader(const QString& iconName, const QString& title, const QString& text) {
    auto* icon = new QLabel(page_);
    const QIcon fallback(QStringLiteral(":/velmora/icons/app.svg"));
    icon->setPixmap(QIcon::fromTheme(iconName, fallback).pixmap(64, 64));
    icon->setAlignment(Qt::AlignHCenter);
    icon->setAccessibleName(title);
    pageLayout_->addWidget(icon);
    auto* heading = wrapped(title, page_);
    QFont font = heading->font();
    font.setBold(true);
    font.setPointSizeF(font.pointSizeF() * 1.5);
    heading->setFont(font);
    pageLayout_->addWidget(heading);
    if (!text.isEmpty()) {
        auto* body = wrapped(text, page_);
        body->setForegroundRole(QPalette::PlaceholderText);
        pageLayout_->addWidget(body);
    }
}

QPushButton* OnboardingWindow::addButton(const QString& text, bool prominent, std::function<void()> onClick) {
    if (!buttons_) {
        // Buttons sit at the bottom; a list that fills the page pushes them there itself.
        if (!pageFilled_)
            pageLayout_->addStretch(1);
        buttons_ = new QHBoxLayout();
        buttons_->addStretch(1);
        pageLayout_->addLayout(buttons_);
    }
    auto* button = new QPushButton(text, page_);
    button->setMinimumSize(160, 36);
    button->setDefault(prominent);
    connect(button, &QPushButton::clicked, this, std::move(onClick));
    // Buttons are added left to right; the stretch keeps them centred.
    buttons_->insertWidget(buttons_->count(), button);
    return button;
}

void OnboardingWindow::addTips() {
    auto* area = new QScrollArea(page_);
    area->setWidgetResizable(true);
    area->setFrameShape(QFrame::NoFrame);
    auto* list = new QWidget(area);
    auto* layout = new QVBoxLayout(list);
    for (const CaptionTip& tip : CaptionTip::all()) {
        auto* name = new QLabel(tip.appName, list);
        QFont font = name->font();
        font.setWeight(QFont::DemiBold);
        name->setFont(font);
        layout->addWidget(name);
        for (qsizetype i = 0; i < tip.steps.size(); ++i) {
            auto* step = new QLabel(QStringLiteral("%1. %2").arg(i + 1).arg(tip.steps[i]), list);
            step->setWordWrap(true);
            step->setTextFormat(Qt::PlainText);
            step->setIndent(12);
            layout->addWidget(step);
        }
        layout->addSpacing(8);
    }
    layout->addStretch(1);
    area->setWidget(list);
    pageLayout_->addWidget(area, 1);
    pageFilled_ = true;
}

void OnboardingWindow::showStep() {
    clearStep();
    const auto advance = [this] { state_.advance(); };
    switch (state_.currentStep()) {
    case Step::welcome:
        addHeader(QStringLiteral("org.velmora.Velmora"), QStringLiteral("Welcome to Velmora"),
                  QStringLiteral("Velmora captures live meeting captions and saves them as text "
                                 "transcripts. Fully local, no audio, no cloud."));
        addButton(QStringLiteral("Get Started"), true, advance);
        break;
    case Step::whyPermission:
        addHeader(QStringLiteral("security-high"), QStringLiteral("Accessibility Permission"),
                  QStringLiteral("Velmora needs Accessibility permission to detect and read captions "
                                 "from your meeting apps.\n\nNo audio is captured. No data leaves your "
                                 "computer."));
        addButton(QStringLiteral("Continue"), true, advance);
        break;
    case Step::grantPermission: {
        addHeader(QStringLiteral("preferences-desktop-accessibility"),
                  QStringLiteral("Grant Accessibility Access"),
                  QStringLiteral("Click the button below to turn on your desktop's accessibility "
                                 "support. Velmora reads the captions through it."));
        auto* waiting = new QProgressBar(page_);
        waiting->setRange(0, 0);
        waiting->setMaximumHeight(6);
        waiting->setTextVisible(false);
        pageLayout_->addWidget(waiting);
        pageLayout_->addWidget(wrapped(QStringLiteral("Waiting for permission..."), page_));
        accessibilityResult_ = wrapped(QString(), page_);
        pageLayout_->addWidget(accessibilityResult_);
        addButton(QStringLiteral("Turn On Accessibility"), true, [this] { turnOnAccessibility(); });
        break;
    }
    case Step::enableNotifications:
        addHeader(QStringLiteral("preferences-desktop-notification"), QStringLiteral("Enable Notifications"),
                  QStringLiteral("Get notified when transcripts are saved. You can change this later "
                                 "in your desktop's notification settings."));
        addButton(QStringLiteral("Skip"), false, advance);
        addButton(QStringLiteral("Enable Notifications"), true, [this] { requestNotificationsThenAdvance(); });
        break;
    case Step::enableLanguageModel: {
        addHeader(QStringLiteral("applications-science"), QStringLiteral("Language Model"),
                  QStringLiteral("Velmora can write AI meeting summaries with a language model server "
                                 "on this computer (llama-server, Ollama or LM Studio), fully local."));
        auto* status = wrapped(QStringLiteral("Looking for a model server..."), page_);
        pageLayout_->addWidget(status);
        describeModelServer(status);
        addButton(QStringLiteral("Skip"), false, advance);
        addButton(QStringLiteral("Check Again"), false, [this, status = QPointer<QLabel>(status)] {
            describeModelServer(status);
        });
        addButton(QStringLiteral("Continue"), true, advance);
        break;
    }
    case Step::captionTips:
        addHeader(QStringLiteral("media-view-subtitles"), QStringLiteral("Enable Captions in Your Meeting App"),
                  QString());
        addTips();
        addButton(QStringLiteral("Done"), true, advance);
        break;
    case Step::done:
        addHeader(QStringLiteral("emblem-ok"), QStringLiteral("You're All Set"),
                  QStringLiteral("Velmora is ready. It will appear in your system tray and "
                                 "automatically detect when you start a meeting with captions enabled."));
        addButton(QStringLiteral("Close"), true, [this] { emit completed(); });
        break;
    }
    if (buttons_)
        buttons_->addStretch(1);
    // A page added to a window already on screen is not shown by itself.
    page_->show();
}

void OnboardingWindow::turnOnAccessibility() {
    const DesktopServices::AccessibilitySwitch result = desktop_.turnOnAccessibility();
    if (!accessibilityResult_)
        return;
    if (!result.enabled) {
        accessibilityResult_->setText(QStringLiteral(
            "Accessibility could not be turned on here. Turn on assistive technologies in your "
            "desktop's accessibility settings."));
    } else if (!result.browsersToRestart.isEmpty()) {
        accessibilityResult_->setText(
            QStringLiteral("Accessibility is on. Restart %1 so that Velmora can read its meetings.")
                .arg(browserList(result.browsersToRestart)));
    } else {
        accessibilityResult_->setText(QStringLiteral("Accessibility is on."));
    }
}

QCoro::Task<> OnboardingWindow::requestNotificationsThenAdvance() {
    QPointer<OnboardingWindow> self(this);
    auto request = state_.notificationService().requestPermission();
    co_await request;
    if (self && state_.currentStep() == Step::enableNotifications)
        state_.advance();
}

QCoro::Task<> OnboardingWindow::describeModelServer(QPointer<QLabel> label) {
    const QString builtIn = QStringLiteral("The built-in summaries work without one.");
    const auto models = models_;
    for (const auto& model : models) {
        auto asked = model->availability();
        const ModelAvailability availability = co_await asked;
        if (!label)
            co_return;
        if (availability == ModelAvailability::available) {
            label->setText(QStringLiteral("A model server answers at %1.").arg(model->description()));
            co_return;
        }
        if (availability == ModelAvailability::loading) {
            label->setText(QStringLiteral("A model server at %1 is loading its model.").arg(model->description()));
            co_return;
        }
    }
    if (label)
        label->setText(QStringLiteral("No model server answers. ") + builtIn);
}

} // namespace velmora
