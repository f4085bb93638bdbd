#include "fakes/FakeAccessibility.h"
#include "fakes/ManualClock.h"
#include "fakes/ManualScheduler.h"
#include "sources/AXHelpers.h"
#include "sources/PIDCache.h"

#include <gtest/gtest.h>

using namespace velmora;
using namespace std::chrono_literals;

namespace {

class AXHelpersTest : public ::testing::Test {
protected:
    FakeAccessibility ax;
    FakeNode::Ptr root = FakeNode::make(AXRole::application);
};

TEST_F(AXHelpersTest, UnreadableOrWrongKindAttributesAreAbsent) {
    auto node = root->add(FakeNode::make(AXRole::group));
    node->set(AXAttribute::description, QStringList{"not text"});
    node->fail(AXAttribute::value, AXErrorCode::cannotComplete);
    EXPECT_FALSE(AXHelpers::description(ax, node->element()));
    EXPECT_FALSE(AXHelpers::stringValue(ax, node->element()));
    node->die();
    EXPECT_FALSE(AXHelpers::role(ax, node->element()));
    EXPECT_TRUE(AXHelpers::children(ax, node->element()).isEmpty());
    EXPECT_EQ(AXHelpers::windowCount(ax, node->element()), 0);
}

TEST_F(AXHelpersTest, DepthBoundIsCheckedBeforeTheNodeItself) {
    root->set(AXAttribute::role, AXRole::group).set(AXAttribute::description, QStringLiteral("Captions"));
    EXPECT_FALSE(AXHelpers::findByDescription(ax, root->element(), "Captions", 0, 0));
    EXPECT_TRUE(AXHelpers::findByDescription(ax, root->element(), "Captions", 0, 1));
    // With maxDepth 2 a node at depth 2 is not examined.
    auto plain = FakeNode::make(AXRole::group);
    auto child = plain->add(FakeNode::make(AXRole::group));
    auto grandchild = child->add(FakeNode::group("Deep"));
    EXPECT_FALSE(AXHelpers::findByDescription(ax, plain->element(), "Deep", 0, 2));
    EXPECT_TRUE(AXHelpers::findByDescription(ax, plain->element(), "Deep", 0, 3));
}

TEST_F(AXHelpersTest, DescriptionTrimsSpacesAndTabsButNotLineBreaks) {
    auto padded = root->add(FakeNode::group(" \tCaptions \t"));
    EXPECT_EQ(AXHelpers::findByDescription(ax, root->element(), "Captions", 0, 40), padded->element());
    root->clearChildren();
    root->add(FakeNode::group("Captions\n"));
    EXPECT_FALSE(AXHelpers::findByDescription(ax, root->element(), "Captions", 0, 40));
    // Role must match exactly; a non-group with the description is passed over.
    root->clearChildren();
    auto text = root->add(FakeNode::staticText("x"));
    text->set(AXAttribute::description, QStringLiteral("Captions"));
    EXPECT_FALSE(AXHelpers::findByDescription(ax, root->element(), "Captions", 0, 40));
}

TEST_F(AXHelpersTest, FirstStaticTextStopsItsLevelAtAValuelessTextButParentsGoOn) {
    auto a = root->add(FakeNode::make(AXRole::group));
    auto valueless = a->add(FakeNode::make(AXRole::staticText));
    a->add(FakeNode::staticText("sibling, not reached"));
    root->add(FakeNode::make(AXRole::group))->add(FakeNode::staticText("cousin"));
    EXPECT_EQ(AXHelpers::findFirstStaticText(ax, root->element(), 5), QStringLiteral("cousin"));
    valueless->set(AXAttribute::value, QStringLiteral("first"));
    EXPECT_EQ(AXHelpers::findFirstStaticText(ax, root->element(), 5), QStringLiteral("first"));
}

TEST_F(AXHelpersTest, DomClassMatchesWholeEntriesOnly) {
    auto box = root->add(FakeNode::make(AXRole::group));
    box->set(AXAttribute::domClassList, QStringList{"live-transcription-subtitle__box-x"});
    EXPECT_FALSE(AXHelpers::findByDOMClass(ax, root->element(), "live-transcription-subtitle__box", 0, 40));
    box->set(AXAttribute::domClassList, QStringList{"a", "live-transcription-subtitle__box"});
    EXPECT_EQ(AXHelpers::findByDOMClass(ax, root->element(), "live-transcription-subtitle__box", 0, 40),
              box->element());
}

TEST_F(AXHelpersTest, FindTargetsMapsEachTargetToItsFirstPreOrderMatchInOneWalk) {
    const auto meet = BrowserCaptionTarget::description("Captions");
    const auto zoom = BrowserCaptionTarget::domClass("live-transcription-subtitle__box");
    const auto teams = BrowserCaptionTarget::description("Live Captions");
    auto both = root->add(FakeNode::group("Captions"));
    both->set(AXAttribute::domClassList, QStringList{"live-transcription-subtitle__box"});
    // Below an already found target: never searched for it again.
    auto inner = both->add(FakeNode::group("Captions"));
    auto later = root->add(FakeNode::make(AXRole::group));
    auto teamsNode = later->add(FakeNode::group("Live Captions"));
    later->add(FakeNode::group("Live Captions"));

    const auto found = AXHelpers::findTargets(ax, root->element(), {meet, zoom, teams}, 0, 40);
    EXPECT_EQ(found.value(meet), both->element());
    EXPECT_EQ(found.value(zoom), both->element());
    EXPECT_EQ(found.value(teams), teamsNode->element());
    EXPECT_EQ(found.size(), 3);
    // A target absent from the tree is simply missing from the map.
    const auto partial = AXHelpers::findTargets(
        ax, root->element(), {BrowserCaptionTarget::description("nothing"), teams}, 0, 40);
    EXPECT_EQ(partial.size(), 1);
    EXPECT_EQ(partial.value(teams), teamsNode->element());
    Q_UNUSED(inner);
}

TEST_F(AXHelpersTest, EnablingChromiumNeedsAWindowAndOneSuccessfulWrite) {
    auto app = ax.app(7);
    EXPECT_FALSE(AXHelpers::enableChromiumAccessibility(ax, 7));
    auto window = FakeNode::make(AXRole::window);
    app->setWindows({window});
    EXPECT_FALSE(AXHelpers::enableChromiumAccessibility(ax, 7));
    window->setWriteResult(AXAttribute::manualAccessibility, AXErrorCode::success);
    EXPECT_TRUE(AXHelpers::enableChromiumAccessibility(ax, 7));
    ASSERT_GE(ax.writes.size(), 2);
    EXPECT_EQ(ax.writes[0].attribute, AXAttribute::enhancedUserInterface);
    EXPECT_EQ(ax.writes[1].attribute, AXAttribute::manualAccessibility);
}

TEST(PIDCacheTest, CachesResultsIncludingAbsenceForFiveSecondsPerOrderedKey) {
    FakeAccessibility ax;
    ManualScheduler scheduler;
    ManualClock clock(scheduler);
    PIDCache cache(ax, clock);
    const QStringList zoom = {"us.zoom.xos", "zoom.us"};

    EXPECT_FALSE(cache.lookup(zoom));
    ax.addRunning("zoom", 300); // the Linux executable name of the first identifier
    scheduler.advance(4999ms);
    EXPECT_FALSE(cache.lookup(zoom)); // cached absence
    scheduler.advance(1ms);
    EXPECT_EQ(cache.lookup(zoom), 300);
    EXPECT_EQ(ax.runningApplicationsCalls, 2);

    // Another order is another key; preference follows the list's order.
    ax.addRunning("zoom.us", 200);
    EXPECT_EQ(cache.lookup({"zoom.us", "us.zoom.xos"}), 200);
    EXPECT_EQ(ax.runningApplicationsCalls, 3);
}

} // namespace
