#include "sources/BrowserTeamsCaptionReader.h"

#include "fakes/BrowserReaderBench.h"
#include "fakes/QtPrinters.h"

#include <gtest/gtest.h>

using namespace velmora;

namespace {

FakeNode::Ptr group(const QList<FakeNode::Ptr>& children = {}) { return groupOf(children); }
FakeNode::Ptr text(const QString& value) { return FakeNode::staticText(value); }
FakeNode::Ptr pair(const QString& speaker, const QString& words) {
    return group({text(speaker), text(words)});
}
// `levels` wrapper groups around `inner`.
FakeNode::Ptr nested(int levels, FakeNode::Ptr inner) {
    for (int i = 0; i < levels; ++i)
        inner = group({inner});
    return inner;
}

class BrowserTeamsCaptionReaderTest : public BrowserReaderBench<BrowserTeamsCaptionReader> {
protected:
    FakeNode::Ptr captions = page->add(FakeNode::group(QStringLiteral("Live Captions")));
};

TEST_F(BrowserTeamsCaptionReaderTest, FindsSpeakerTextPairsAtAnyDepthDownToTen) {
    captions->addAll({pair(QStringLiteral("Ana"), QStringLiteral("one")),
                      nested(1, pair(QStringLiteral("Bo"), QStringLiteral("two"))),
                      nested(9, pair(QStringLiteral("Cy"), QStringLiteral("deepest"))),
                      nested(10, pair(QStringLiteral("Dee"), QStringLiteral("too deep")))});
    startBrowserReader();
    EXPECT_EQ(lastLines(), (QStringList{"Ana: one", "Bo: two", "Cy: deepest"}));
}

TEST_F(BrowserTeamsCaptionReaderTest, APairWithoutTextEndsItsBranchAndThreeTextsAreSearchedBelow) {
    auto silent = pair(QStringLiteral("Ana"), QString());
    silent->add(pair(QStringLiteral("Hidden"), QStringLiteral("never read")));
    auto crowded = group({text(QStringLiteral("a")), text(QStringLiteral("b")), text(QStringLiteral("c")),
                          pair(QStringLiteral("Bo"), QStringLiteral("below"))});
    captions->addAll({silent, crowded, text(QStringLiteral("loose")), text(QStringLiteral("texts"))});
    captions->add(FakeNode::make(QStringLiteral("AXButton")))->add(pair(QStringLiteral("Cy"), QStringLiteral("in a button")));
    startBrowserReader();
    EXPECT_EQ(lastLines(), QStringList{"Bo: below"});
}

TEST_F(BrowserTeamsCaptionReaderTest, ReadsALineWhoseSpeakerAndTextAreSeparatedByABlank) {
    // Chromium on Linux: white space between the author and text spans is a static of its own.
    captions->add(group({group({FakeNode::make(AXRole::image)}),
                         group({text(QStringLiteral("Ana")), text(QStringLiteral(" ")), text(QStringLiteral("Good morning."))})}));
    captions->add(group({text(QStringLiteral("x")), text(QStringLiteral(" ")), text(QStringLiteral("y")), text(QStringLiteral("z"))}));
    startBrowserReader();
    EXPECT_EQ(lastLines(), QStringList{"Ana: Good morning."});
}

TEST_F(BrowserTeamsCaptionReaderTest, DropsAContainerThatLostItsDescription) {
    captions->add(pair(QStringLiteral("Ana"), QStringLiteral("one")));
    auto reader = startBrowserReader();
    captions->clearChildren();
    captions->set(AXAttribute::description, QStringLiteral("Chat"));
    poll();
    EXPECT_FALSE(reader->hasCachedContainer());
}

} // namespace
