#include "sources/BrowserMeetCaptionReader.h"

#include "fakes/BrowserReaderBench.h"
#include "fakes/QtPrinters.h"

#include <gtest/gtest.h>

using namespace velmora;

namespace {

FakeNode::Ptr group(const QList<FakeNode::Ptr>& children = {}) { return groupOf(children); }
FakeNode::Ptr text(const QString& value) { return FakeNode::staticText(value); }
FakeNode::Ptr image() { return FakeNode::make(AXRole::image); }

// The line shape the client's markup describes: a name part (avatar, name) and a text part.
FakeNode::Ptr line(const QString& speaker, const QString& words) {
    return group({group({image(), group({text(speaker)})}), group({text(words)})});
}

class BrowserMeetCaptionReaderTest : public BrowserReaderBench<BrowserMeetCaptionReader> {
protected:
    FakeNode::Ptr captions = page->add(FakeNode::group(QStringLiteral("Captions")));
};

TEST_F(BrowserMeetCaptionReaderTest, ReadsBlocksWhetherChromiumKeptTheirWrappersOrNot) {
    captions->addAll({line(QStringLiteral("Ana"), QStringLiteral("Hello")),
                      line(QStringLiteral("Bo"), QStringLiteral("Kept wrapper"))});
    captions->add(FakeNode::make(QStringLiteral("AXPushButton")))->add(text(QStringLiteral("Jump to bottom")));
    auto reader = startBrowserReader();
    EXPECT_EQ(lastLines(), (QStringList{"Ana: Hello", "Bo: Kept wrapper"}));

    // Pruned: the parts side by side in the area, each block's avatar first.
    captions->clearChildren();
    captions->addAll({image(), group({text(QStringLiteral("Ana"))}), group({text(QStringLiteral("Hello ")), text(QStringLiteral("there"))}),
                      image(), group({text(QStringLiteral("Cy"))}), group({text(QStringLiteral("Hi"))}),
                      image(), group({text(QStringLiteral("Dee"))})}); // text part not yet shown
    poll();
    EXPECT_EQ(lastLines(), (QStringList{"Ana: Hello there", "Cy: Hi"}));
}

TEST_F(BrowserMeetCaptionReaderTest, WrappersBlanksAndANamedAvatarDoNotChangeWhatIsRead) {
    // Name and text in one wrapper; each in wrappers of its own; an extra wrapper around the
    // block; the avatar named after the speaker; blanks and paragraphs in the text.
    auto avatar = [](const QString& name) {
        auto node = image();
        node->set(AXAttribute::description, name);
        return node;
    };
    captions->addAll({group({group({image(), group({text(QStringLiteral("Ana")), text(QStringLiteral(" ")), text(QStringLiteral("one"))})})}),
                      group({group({group({avatar(QStringLiteral("Bo")), group({group({text(QStringLiteral("Bo"))})})}),
                                    group({group({group({text(QStringLiteral(" two\t"))}), text(QStringLiteral("  ")),
                                                  group({text(QStringLiteral("three"))})})})})})});
    startBrowserReader();
    EXPECT_EQ(lastLines(), (QStringList{"Ana: one", "Bo: two three"}));
}

TEST_F(BrowserMeetCaptionReaderTest, KeepsAContainerWhoseTrimmedDescriptionStillMatches) {
    captions->add(line(QStringLiteral("Ana"), QStringLiteral("Hello")));
    auto reader = startBrowserReader();
    captions->set(AXAttribute::description, QStringLiteral(" Captions\t"));
    captions->clearChildren();
    poll();
    EXPECT_TRUE(reader->hasCachedContainer());
    captions->fail(AXAttribute::description, AXErrorCode::invalidElement);
    poll();
    EXPECT_FALSE(reader->hasCachedContainer()); // unreadable: searched for again
    EXPECT_EQ(collected->count(), 3);
}

TEST_F(BrowserMeetCaptionReaderTest, IgnoresACaptionsGroupOutsideTheWebContent) {
    // The browser's own interface is never searched.
    page->removeChild(captions);
    window->add(FakeNode::group(QStringLiteral("Captions")))->add(line(QStringLiteral("Ana"), QStringLiteral("chrome")));
    auto reader = startBrowserReader();
    EXPECT_FALSE(reader->hasCachedContainer());
    EXPECT_TRUE(collected->last().isEmpty());
}

} // namespace
