#include "sources/BrowserTeamsCaptionReader.h"

#include "fakes/BrowserReaderBench.h"
#include "fakes/QtPrinters.h"

#include <gtest/gtest.h>

using namespace velmora;

namespace {

FakeNode::Ptr group(const QList<FakeNode::Ptr>& children = {}) { return groupOf(children); }
FakeNode::Ptr text(const QString& value) { return FakeNode::staticText(value); }
FakeNode::Ptr avatar(const QString& name) {
    auto image = FakeNode::make(AXRole::image);
    image->set(AXAttribute::description, name);
    return image;
}
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

TEST_F(BrowserTeamsCaptionReaderTest, ReadsItemsWhoseAuthorAndTextSitInWrappersOfTheirOwn) {
    // What Chromium leaves of the client's item: [section > image, section > name, section > text].
    auto item = [](const QString& name, const QString& words) {
        return group({group({avatar(name)}), group({text(name)}), group({text(words)})});
    };
    captions->add(group({item(QStringLiteral("Dana"), QStringLiteral("Hello")),
                         item(QStringLiteral("Eli"), QStringLiteral("Hi Dana, how are you?"))}));
    startBrowserReader();
    EXPECT_EQ(lastLines(), (QStringList{"Dana: Hello", "Eli: Hi Dana, how are you?"}));
}

TEST_F(BrowserTeamsCaptionReaderTest, KeepsReadingTheShapesItReadBefore) {
    // A pair of texts at any depth, a blank between author and text, an unnamed avatar beside.
    captions->addAll({nested(1, pair(QStringLiteral("Ana"), QStringLiteral("one"))),
                      nested(9, pair(QStringLiteral("Bo"), QStringLiteral("deep"))),
                      group({group({FakeNode::make(AXRole::image)}),
                             group({text(QStringLiteral("Cy")), text(QStringLiteral(" ")), text(QStringLiteral("Good morning."))})}),
                      nested(30, pair(QStringLiteral("Dee"), QStringLiteral("beyond reach")))});
    startBrowserReader();
    EXPECT_EQ(lastLines(), (QStringList{"Ana: one", "Bo: deep", "Cy: Good morning."}));
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
