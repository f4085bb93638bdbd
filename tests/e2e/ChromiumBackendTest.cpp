#include "ChromiumTest.h"

#include "fakes/QtPrinters.h"
#include "sources/AXHelpers.h"
#include "sources/AXNames.h"

using namespace velmora;
using namespace velmora::e2e;

namespace {

class ChromiumBackendTest : public ChromiumTest {
protected:
    AXElement captionArea() {
        return ax.findWebTargets(app(), {BrowserCaptionTarget::description(QStringLiteral("Captions"))}, 40)
            .value(BrowserCaptionTarget::description(QStringLiteral("Captions")));
    }
};

TEST_F(ChromiumBackendTest, NamesTheBrowserAndItsWindows) {
    const QList<RunningApplication> running = ax.runningApplications();
    const auto me = std::find_if(running.begin(), running.end(), [&](const RunningApplication& a) {
        return a.processIdentifier == browser.browserPID();
    });
    ASSERT_NE(me, running.end());
    EXPECT_EQ(me->bundleIdentifier, QStringLiteral("chromium"));
    EXPECT_EQ(AXHelpers::role(ax, app()), AXRole::application);
    EXPECT_GE(AXHelpers::windowCount(ax, app()), 1); // the browser window and its popup frames
    const auto windows = std::get<QList<AXElement>>(ax.copyAttributeValue(app(), AXAttribute::windows).value);
    EXPECT_EQ(AXHelpers::role(ax, windows.value(0)), AXRole::window);
    EXPECT_TRUE(AXHelpers::title(ax, windows.value(0)).value_or(QString()).endsWith(QStringLiteral("Chromium")));
    // Asking for the web tree succeeds once the browser shows one; other writes are refused.
    EXPECT_EQ(ax.setAttributeValue(windows.value(0), AXAttribute::manualAccessibility, true), AXErrorCode::success);
    EXPECT_NE(ax.setAttributeValue(windows.value(0), AXAttribute::title, true), AXErrorCode::success);
    EXPECT_FALSE(AXHelpers::role(ax, ax.applicationElement(1)).has_value()) << "no such application";
}

TEST_F(ChromiumBackendTest, AnswersTheAXVocabularyFromTheWebTree) {
    open(QStringLiteral("meet.html"));
    run(QStringLiteral("meet.show(); meet.say('Ana', 'Hello there')"));
    const AXElement area = captionArea();
    ASSERT_FALSE(area.isNull());
    EXPECT_EQ(AXHelpers::role(ax, area), AXRole::group);
    EXPECT_EQ(AXHelpers::domClassList(ax, area), QStringList{"a4cQT"});
    EXPECT_FALSE(AXHelpers::textAttribute(ax, area, AXAttribute::subrole).has_value());
    // The line wrappers are pruned: image, name part, text part, button.
    const QList<AXElement> parts = AXHelpers::children(ax, area);
    QStringList roles;
    for (const AXElement& part : parts)
        roles.append(AXHelpers::role(ax, part).value_or(QStringLiteral("?")));
    EXPECT_EQ(roles, (QStringList{"AXGroup", "AXGroup", "AXPushButton"}));
    EXPECT_EQ(AXHelpers::domClassList(ax, parts.value(0)), (QStringList{"KcIKyf", "jxFHg"}));
    const AXElement words = AXHelpers::children(ax, parts.value(1)).value(0);
    EXPECT_EQ(AXHelpers::role(ax, words), AXRole::staticText);
    EXPECT_EQ(AXHelpers::stringValue(ax, words), QStringLiteral("Hello there"));
    const QString nodeId = AXHelpers::textAttribute(ax, words, AXAttribute::chromeNodeId).value_or(QString());
    EXPECT_TRUE(nodeId.startsWith(QLatin1Char(':')) && nodeId.contains(QStringLiteral("/org/a11y/atspi/accessible/")))
        << qPrintable(nodeId);
    EXPECT_EQ(AXHelpers::stringValue(ax, parts.value(1)), QStringLiteral("Hello there")) << "a group's text content";

    run(QStringLiteral("meet.area.id = 'captions'; meet.rebuild()"));
    EXPECT_EQ(AXHelpers::textAttribute(ax, captionArea(), AXAttribute::domIdentifier), QStringLiteral("captions"));
}

TEST_F(ChromiumBackendTest, ReadsARemovedNodeAsAbsent) {
    open(QStringLiteral("meet.html"));
    run(QStringLiteral("meet.show(); meet.say('Ana', 'Hello')"));
    const AXElement area = captionArea();
    ASSERT_EQ(AXHelpers::description(ax, area), QStringLiteral("Captions"));
    // Chromium still answers for it, with the role "invalid".
    run(QStringLiteral("meet.hide()"));
    EXPECT_FALSE(AXHelpers::role(ax, area).has_value());
    EXPECT_FALSE(AXHelpers::description(ax, area).has_value());
    EXPECT_FALSE(AXHelpers::textAttribute(ax, area, AXAttribute::chromeNodeId).has_value());
    EXPECT_TRUE(AXHelpers::children(ax, area).isEmpty());
}

TEST_F(ChromiumBackendTest, ForgetsTheNodesAPageRemoved) {
    // Chromium announces no removal for most web nodes; the backend must not keep them all.
    open(QStringLiteral("meet.html"));
    run(QStringLiteral("meet.show()"));
    const QList<BrowserCaptionTarget> everything{BrowserCaptionTarget::domClass(QStringLiteral("none"))};
    for (int round = 0; round < 4; ++round) {
        run(QStringLiteral("for (let i = 0; i < 1000; ++i) meet.say('S' + i, 'line ' + i)"));
        ax.findWebTargets(app(), everything, 40); // sees every node once
        run(QStringLiteral("meet.scroll(1000)"));
        ax.findWebTargets(app(), everything, 40);
    }
    EXPECT_LT(ax.retainedObjectCount(app()), 3000) << "four rounds made about 8,000 element nodes";
}

} // namespace
