#include "sources/TeamsCaptionReader.h"

#include "fakes/LogCapture.h"
#include "fakes/ReaderTestBench.h"
#include "fakes/QtPrinters.h"

#include <gtest/gtest.h>

using namespace velmora;
using namespace std::chrono_literals;

namespace {

// A caption line as the client shows it: a group holding the speaker, then the text.
FakeNode::Ptr line(const QString& speaker, const QString& text) {
    auto node = FakeNode::make(AXRole::group);
    node->add(FakeNode::staticText(speaker));
    node->add(FakeNode::staticText(text));
    return node;
}

class TeamsCaptionReaderTest : public ReaderTestBench<TeamsCaptionReader> {
protected:
    FakeNode::Ptr app = ax.app(50);
    FakeNode::Ptr window = app->add(FakeNode::make(AXRole::window));

    TeamsCaptionReaderTest() { ax.addRunning(QStringLiteral("com.microsoft.teams2"), 50); }
};

TEST_F(TeamsCaptionReaderTest, NotRunningFailsWithTheTeamsError) {
    ax.running.clear();
    LogCapture log("velmora.reader");
    auto reader = std::make_shared<TeamsCaptionReader>(env, pidCache);
    const std::optional<VelmoraError> error = startFailure(*reader);
    ASSERT_TRUE(error);
    EXPECT_EQ(*error, VelmoraError::captionSourceNotFound(CaptionSource::teams));
    EXPECT_EQ(log.matching("Teams not running"),
              QStringList{"Teams not running (bundle: com.microsoft.teams2)"});
}

TEST_F(TeamsCaptionReaderTest, PairsSpeakerAndTextDepthFirstAndDropsTheBanner) {
    auto captions = window->add(FakeNode::group(QStringLiteral("  Live Captions\t")));
    captions->add(line(QStringLiteral("Captions will be shown in English (US)"), QStringLiteral("Change")));
    // A node with its own pair and nested lines: its own pair comes first.
    auto outer = captions->add(line(QStringLiteral("Ana"), QStringLiteral("first")));
    outer->add(FakeNode::make(AXRole::group))->add(line(QStringLiteral("Ben"), QStringLiteral("nested")));
    // Three texts are no pair, but the node's other children are still searched.
    auto three = captions->add(FakeNode::make(AXRole::group));
    three->addAll({FakeNode::staticText("a"), FakeNode::staticText("b"), FakeNode::staticText("c")});
    three->add(line(QStringLiteral("Cy"), QStringLiteral("inside three")));
    // A side that is empty or unreadable spoils the pair; an unreadable role is still searched.
    captions->add(line(QStringLiteral("Dee"), QString()));
    auto unreadable = line(QStringLiteral("Eve"), QStringLiteral("x"));
    unreadable->children().at(0)->unset(AXAttribute::value);
    captions->add(unreadable);
    auto roleless = captions->add(FakeNode::make());
    roleless->add(line(QStringLiteral("Fay"), QStringLiteral("last")));

    auto reader = start();
    EXPECT_EQ(lines(collected->last()),
              (QStringList{"Ana: first", "Ben: nested", "Cy: inside three", "Fay: last"}));
    for (const CaptionEntry& entry : collected->last())
        EXPECT_EQ(entry.timestamp, clock.now());

    // The area stays but the lines go: the cache is kept and the snapshot is empty.
    captions->clearChildren();
    captions->set(AXAttribute::description, QStringLiteral("Live Captions"));
    poll();
    EXPECT_TRUE(reader->hasCachedContainer());
    EXPECT_TRUE(collected->last().isEmpty());
}

TEST_F(TeamsCaptionReaderTest, LogsTheTreeEveryTenthPollWhileNothingIsFound) {
    auto big = FakeNode::make(AXRole::window);
    big->set(AXAttribute::title, QStringLiteral("Meeting"));
    for (int i = 0; i < 12; ++i)
        big->add(FakeNode::group(QStringLiteral("g%1").arg(i)));
    auto bare = FakeNode::make();
    app->setWindows({big, bare});
    LogCapture log("velmora.reader");
    auto reader = start();
    poll(8);
    EXPECT_TRUE(log.matching("AX tree").isEmpty());
    poll();
    EXPECT_EQ(log.matching("AX tree"), QStringList{"AX tree: 2 windows"});
    EXPECT_EQ(log.matching("  window["),
              (QStringList{"  window[0]: \"Meeting\" (role=AXWindow, desc=(none), children=12)",
                           "  window[1]: \"(no title)\" (role=?, desc=(none), children=0)"}));
    const QStringList childLines = log.matching("    [");
    ASSERT_EQ(childLines.size(), 10);
    EXPECT_EQ(childLines.first(), "    [0]: AXGroup desc=g0 (0 children)");
    EXPECT_EQ(childLines.last(), "    [9]: AXGroup desc=g9 (0 children)");
    EXPECT_EQ(log.matching("    ..."), QStringList{"    ... +2 more"});

    app->fail(AXAttribute::windows, AXErrorCode::cannotComplete);
    poll(10);
    EXPECT_EQ(log.matching("AX tree").size(), 1);
    EXPECT_EQ(log.matching("Cannot read windows"), QStringList{"Cannot read windows (AXError: -25204)"});
    poll(10);
    EXPECT_EQ(log.matching("Cannot read windows").size(), 2);
}

} // namespace
