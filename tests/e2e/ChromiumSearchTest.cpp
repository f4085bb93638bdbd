#include "ChromiumTest.h"

#include "capture/SerialExecutor.h"
#include "fakes/QtPrinters.h"
#include "sources/AXHelpers.h"
#include "sources/AXNames.h"
#include "sources/BrowserCaptionScanner.h"

using namespace velmora;
using namespace velmora::e2e;

namespace {

// The backend answers web searches from one Collection query per document and what it
// remembers about nodes; these tests hold it to the plain walk over the AX vocabulary.
class ChromiumSearchTest : public ChromiumTest {
protected:
    QList<BrowserCaptionTarget> targets() const {
        QList<BrowserCaptionTarget> all;
        for (const BrowserTargetConfig& config : BrowserCaptionScanner::standardConfigs())
            all.append(config.target);
        return all;
    }
    // "kind:text → node" for every target found, in target order.
    QStringList describe(const QHash<BrowserCaptionTarget, AXElement>& found) {
        QStringList out;
        for (const BrowserCaptionTarget& target : targets()) {
            if (found.contains(target))
                out.append(QStringLiteral("%1:%2 → %3").arg(int(target.kind)).arg(target.text,
                    AXHelpers::textAttribute(ax, found.value(target), AXAttribute::chromeNodeId).value_or(QStringLiteral("?"))));
        }
        return out;
    }
    QStringList fast(int maxDepth = 40) { return describe(ax.findWebTargets(app(), targets(), maxDepth)); }
    QStringList walk(int maxDepth = 40) {
        const AXElement application = app();
        const QList<BrowserCaptionTarget> wanted = targets();
        QHash<BrowserCaptionTarget, AXElement> found;
        bool done = false;
        ax.queue().submit([&] { found = AXHelpers::findWebTargets(ax, application, wanted, 0, maxDepth); },
                          [&] { done = true; });
        BrowserSession::waitUntil([&] { return done; }, 120000);
        return describe(found);
    }
};

TEST_F(ChromiumSearchTest, AgreesWithTheWalkOnEveryClientsPage) {
    open(QStringLiteral("meet.html"));
    run(QStringLiteral("filler(document.body, 300, 'Side'); meet.show(); meet.say('Ana', 'Hello')"));
    EXPECT_EQ(fast(), walk());
    EXPECT_EQ(fast().size(), 1);

    open(QStringLiteral("teams.html"));
    run(QStringLiteral("teams.show({spaced: true}); teams.say('Dana', 'Hi'); filler(document.body, 300, 'Side')"));
    EXPECT_EQ(fast(), walk());
    EXPECT_EQ(fast().size(), 1);

    open(QStringLiteral("zoom.html"));
    run(QStringLiteral("zoom.show(); zoom.line('one'); filler(document.body, 300, 'Side')"));
    EXPECT_EQ(fast(), walk());
    EXPECT_EQ(fast().size(), 1) << "the pruned box is found by its line only";
    run(QStringLiteral("zoom.hide(); zoom.show({keepBox: true}); zoom.line('two')"));
    EXPECT_EQ(fast(), walk());
    EXPECT_EQ(fast().size(), 2) << "the kept box answers both of its markers";
}

TEST_F(ChromiumSearchTest, AgreesOnALargePageAtEveryDepthBound) {
    open(QStringLiteral("big.html"));
    int boundsThatFind = 0;
    for (int maxDepth : {9, 16, 21, 22, 24, 40}) {
        const QStringList found = fast(maxDepth);
        EXPECT_EQ(found, walk(maxDepth)) << "bound " << maxDepth;
        boundsThatFind += found.isEmpty() ? 0 : 1;
    }
    EXPECT_GT(boundsThatFind, 0);
    EXPECT_LT(boundsThatFind, 6) << "some bound must cut the caption area off";
}

TEST_F(ChromiumSearchTest, FollowsRenamedAndReplacedNodes) {
    open(QStringLiteral("big.html"));
    EXPECT_EQ(fast().size(), 1);
    // Remembered names are dropped when the browser announces a new one.
    // The browser's name-change event can trail the page by a moment under load, as it can
    // between two real scans: allow it a few seconds to arrive.
    const auto fastFinds = [&](qsizetype count) {
        return BrowserSession::waitUntil([&] { return fast().size() == count; }, 10000);
    };
    run(QStringLiteral("document.querySelector('[role=region]').setAttribute('aria-label', 'Notes')"));
    EXPECT_TRUE(fastFinds(0));
    EXPECT_EQ(fast(), walk());
    run(QStringLiteral("document.querySelector('[role=region]').setAttribute('aria-label', 'Captions')"));
    EXPECT_TRUE(fastFinds(1));
    run(QStringLiteral("const region = document.querySelector('[role=region]'); region.replaceWith(region.cloneNode(true))"));
    EXPECT_TRUE(fastFinds(1));
    EXPECT_EQ(fast(), walk());
}

} // namespace
