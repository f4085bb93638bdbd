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

TEST_F(BrowserZoomCaptionReaderTest, ReadsOnlyDirectChildrenWithTheExactIdAndShallowText) {
    auto captions = frame->add(box());
    auto deep = FakeNode::make(AXRole::group);
    deep->set(AXAttribute::domIdentifier, lineId);
    deep->set(AXAttribute::chromeNodeId, QStringLiteral("D"));
    deep->add(FakeNode::make(AXRole::group))->add(FakeNode::make(AXRole::group))->add(FakeNode::make(AXRole::group))
        ->add(FakeNode::staticText(QStringLiteral("four levels down")));
    auto shallow = FakeNode::make(AXRole::group);
    shallow->set(AXAttribute::domIdentifier, lineId);
    shallow->set(AXAttribute::chromeNodeId, QStringLiteral("S"));
    shallow->add(FakeNode::make(AXRole::group))->add(FakeNode::make(AXRole::group))
        ->add(FakeNode::staticText(QStringLiteral("three levels down")));
    captions->addAll({line("P", "prefixed", lineId + QStringLiteral("-2")), deep, shallow,
                      FakeNode::make(AXRole::group)});
    captions->children().back()->add(line("N", "nested"));
    startBrowserReader();
    EXPECT_EQ(lastLines(), QStringList{"Speaker 1: three levels down"});
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
