#pragma once

#include "app/AppState.h"
#include "app/FormatSettingsManager.h"
#include "app/MeetingLibrary.h"
#include "app/OutputDirectoryManager.h"
#include "app/ZoomManager.h"
#include "fakes/FakeNotificationCenter.h"
#include "fakes/ManualScheduler.h"
#include "sources/AXPermissionChecker.h"
#include "ui/AppearanceController.h"
#include "ui/SettingsPage.h"

#include <QAbstractButton>
#include <QApplication>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include "fakes/AccessibilityJobMarker.h"
#include "fakes/DeferredExecutor.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>

namespace velmora {

// Turning accessibility on works, or (with `switchWorks` false) the desktop has no switch.
class SwitchableChecker final : public AXPermissionChecker {
public:
    bool isTrusted() override {
        askedOutsideAJob |= !AccessibilityJobMarker::inJob();
        return trusted;
    }
    void requestAccess() override {
        askedOutsideAJob |= !AccessibilityJobMarker::inJob();
        ++requests;
        trusted = switchWorks;
    }
    bool askedOutsideAJob = false; // would have made the window wait for the accessibility thread
    bool trusted = false;
    bool switchWorks = true;
    int requests = 0;
};

class SettingsPageFixture : public ::testing::Test {
protected:
    QTemporaryDir home;
    QSettings settings{home.filePath(QStringLiteral("velmora.conf")), QSettings::IniFormat};
    OutputDirectoryManager output{settings, home.filePath(QStringLiteral("Default"))};
    FormatSettingsManager format{settings};
    ZoomManager zoom{settings};
    AppState state;
    SwitchableChecker accessibility;
    DeferredExecutor accessibilityQueue;
    FakeNotificationCenter notifications;
    ManualScheduler scheduler;
    MeetingLibrary library{output, MeetingLibrary::fileHistories()};
    std::unique_ptr<AppearanceController> appearance;
    QList<QUrl> opened;
    std::optional<QString> nextChoice;
    std::unique_ptr<SettingsPage> page;

    void SetUp() override {
        state.configureZoom(&zoom);
        appearance = std::make_unique<AppearanceController>(*qApp, settings, state);
    }
    void TearDown() override {
        // A check still asking a server uses the scheduler, which goes with the test.
        if (page) {
            EXPECT_TRUE(QTest::qWaitFor([&] { return !page->isCheckingLanguageModel(); }, 5000));
        }
        page.reset();
        appearance->setMode(AppearanceMode::system);
        state.setZoomLevel(ZoomLevel::default_);
    }

    SettingsPage& makePage() {
        page = std::make_unique<SettingsPage>(SettingsPage::Services{
            state, settings, output, format, *appearance, accessibility, notifications, scheduler,
            &library, [] {}, [this](const QUrl& url) { opened.append(url); },
            [this](QWidget*, const QString&) { return nextChoice; }, nullptr, &accessibilityQueue});
        page->resize(800, 900);
        return *page;
    }

    QAbstractButton* button(const QString& name) const {
        for (QAbstractButton* candidate : page->findChildren<QAbstractButton*>()) {
            if (candidate->text() == name || candidate->accessibleName() == name)
                return candidate;
        }
        ADD_FAILURE() << "no button " << name.toStdString();
        return nullptr;
    }

    bool waitForModelCheck(const QString& status) {
        return QTest::qWaitFor([&] { return page->languageModelStatus() == status; }, 5000);
    }
};

} // namespace velmora
