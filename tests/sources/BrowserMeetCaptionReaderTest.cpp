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

TEST_F(BrowserMeetCaptionReaderTest, ReadsLinesOfNamePartAndTextPart) {
    captions->add(line(QStringLiteral("Ana"), QStringLiteral("Hello")));
    // Groups beyond the second are ignored; a line whose name part has no text is "Unknown".
    captions->add(group({group({image()}), group({text(QStringLiteral("Hi"))}), group({text(QStringLiteral("x"))})}));
    // A line with one inner group is no line.
    captions->add(group({group({text(QStringLiteral("Solo"))})}));
    captions->add(FakeNode::make(QStringLiteral("AXButton")))->set(AXAttribute::description, QStringLiteral("Jump to bottom"));
    startBrowserReader();
    EXPECT_EQ(lastLines(), (QStringList{"Ana: Hello", "Unknown: Hi"}));
}

TEST_F(BrowserMeetCaptionReaderTest, JoinsNestedTextPiecesDownToFiveLevels) {
    auto deep = group({group({group({group({group({text(QStringLiteral("too deep"))})})})})});
    captions->add(group({group({text(QStringLiteral("Ana"))}),
                         group({text(QStringLiteral(" one\t")), text(QStringLiteral("  ")),
                                group({text(QStringLiteral("two"))}), group({group({group({group({text(QStringLiteral("five"))})})})}), deep})}));
    startBrowserReader();
    EXPECT_EQ(lastLines(), QStringList{"Ana: one two five"});
}

TEST_F(BrowserMeetCaptionReaderTest, PairsLinePartsThatChromiumFlattenedIntoTheArea) {
    // Chromium on Linux drops the class-only line wrappers: the parts arrive as siblings, with
    // the avatars in between; a kept wrapper still reads as a whole line.
    captions->addAll({image(), group({text(QStringLiteral("Ana"))}), group({text(QStringLiteral("Hello ")), text(QStringLiteral("there"))}),
                      line(QStringLiteral("Bo"), QStringLiteral("Kept wrapper")),
                      image(), group({text(QStringLiteral("Cy"))}), group({text(QStringLiteral("Hi"))}),
                      group({text(QStringLiteral("Dee"))})}); // text part not yet shown
    startBrowserReader();
    EXPECT_EQ(lastLines(), (QStringList{"Ana: Hello there", "Bo: Kept wrapper", "Cy: Hi"}));
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
