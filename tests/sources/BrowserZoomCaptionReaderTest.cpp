#include "sources/BrowserZoomCaptionReader.h"

#include "fakes/BrowserReaderBench.h"
#include "fakes/QtPrinters.h"

#include <gtest/gtest.h>

using namespace velmora;

namespace {

const QString lineId = QStringLiteral("live-transcription-subtitle");

FakeNode::Ptr line(const QString& nodeId, const QString& words, const QString& domId = lineId) {
    auto node = FakeNode::make(AXRole::group);
    node->set(AXAttribute::domIdentifier, domId);
    node->set(AXAttribute::chromeNodeId, nodeId);
    node->add(FakeNode::staticText(words));
    return node;
}

FakeNode::Ptr box() {
    auto node = FakeNode::make(AXRole::group);
    node->set(AXAttribute::domClassList, QStringList{"subtitle", "live-transcription-subtitle__box"});
    return node;
}

class BrowserZoomCaptionReaderTest : public BrowserReaderBench<BrowserZoomCaptionReader> {
protected:
    FakeNode::Ptr frame = page->add(FakeNode::make(AXRole::webArea)); // the client's iframe
};

TEST_F(BrowserZoomCaptionReaderTest, NumbersSpeakersByLineNodeInOrderOfFirstAppearance) {
    auto captions = frame->add(box());
    captions->addAll({line("A", "one"), line("B", "two"), line("A", "three")});
    auto reader = startBrowserReader();
    EXPECT_EQ(lastLines(), (QStringList{"Speaker 1: one", "Speaker 2: two", "Speaker 1: three"}));
    captions->clearChildren();
    captions->addAll({line("C", "four"), line("B", "five")});
    poll();
    EXPECT_EQ(lastLines(), (QStringList{"Speaker 3: four", "Speaker 2: five"}));
    // One time for all lines of a poll.
    EXPECT_EQ(collected->last()[0].timestamp, collected->last()[1].timestamp);
}

TEST_F(BrowserZoomCaptionReaderTest, ReadsLinesWithTheExactIdAndAllTheirTextWhateverWrapsThem) {
    auto captions = frame->add(box());
    // The text in wrappers of its own, blanks between, a name repeated by an avatar.
    auto wrappedText = line("W", QString());
    wrappedText->clearChildren();
    auto avatar = FakeNode::make(AXRole::image);
    avatar->set(AXAttribute::description, QStringLiteral("Ana"));
    wrappedText->addAll({avatar, groupOf({FakeNode::staticText(QStringLiteral("Ana"))}),
                         groupOf({groupOf({groupOf({FakeNode::staticText(QStringLiteral("first"))})})}),
                         FakeNode::staticText(QStringLiteral(" ")),
                         groupOf({groupOf({groupOf({groupOf({FakeNode::staticText(QStringLiteral("words"))})})})})});
    captions->addAll({line("P", "prefixed", lineId + QStringLiteral("-2")), wrappedText,
                      groupOf({groupOf({line("N", "in a wrapper")})}), line("E", " ")});
    startBrowserReader();
    EXPECT_EQ(lastLines(), (QStringList{"Speaker 1: first words", "Speaker 2: in a wrapper"}));
}

TEST_F(BrowserZoomCaptionReaderTest, DropsACachedBoxWhoseClassIsGoneUnlessItStillHoldsLines) {
    auto captions = frame->add(box());
    captions->add(line("A", "one"));
    auto reader = startBrowserReader();
    // The client reuses the node for something else: no caption class, but lines still in it.
    captions->set(AXAttribute::domClassList, QStringList{"subtitle"});
    poll();
    EXPECT_TRUE(reader->hasCachedContainer());
    EXPECT_EQ(lastLines(), QStringList{"Speaker 1: one"});
    // Neither the class nor a line: no longer the caption box, searched for again.
    captions->clearChildren();
    poll();
    EXPECT_FALSE(reader->hasCachedContainer());
    EXPECT_TRUE(collected->last().isEmpty());
}

TEST_F(BrowserZoomCaptionReaderTest, KeepsAnEmptyBoxWhileItsClassesCanBeRead) {
    auto captions = frame->add(box());
    captions->add(line("A", "one"));
    auto reader = startBrowserReader();
    captions->clearChildren();
    poll(6);
    EXPECT_TRUE(reader->hasCachedContainer());
    EXPECT_FALSE(collected->ended());
}

TEST_F(BrowserZoomCaptionReaderTest, FindsLinesWhoseBoxChromiumPrunedAndLetsGoOnceTheyAreGone) {
    // No box in the tree: the lines sit in the frame's document itself.
    frame->set(AXAttribute::domClassList, QStringList());
    frame->addAll({line("A", "one"), line("B", "two")});
    auto reader = startBrowserReader();
    EXPECT_EQ(lastLines(), (QStringList{"Speaker 1: one", "Speaker 2: two"}));
    frame->clearChildren();
    poll();
    EXPECT_FALSE(reader->hasCachedContainer()); // the frame alone is no caption container
    poll(5);
    EXPECT_TRUE(collected->ended());
}

TEST_F(BrowserZoomCaptionReaderTest, PrefersTheBoxToAnEarlierHolderOfLines) {
    frame->add(line("X", "stray line"));
    frame->add(box())->add(line("A", "in the box"));
    startBrowserReader();
    EXPECT_EQ(lastLines(), QStringList{"Speaker 1: in the box"});
}

} // namespace
