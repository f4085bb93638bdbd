#include "ChromiumTest.h"

#include "fakes/QtPrinters.h"
#include "sources/BrowserMeetCaptionReader.h"
#include "sources/BrowserTeamsCaptionReader.h"
#include "sources/BrowserZoomCaptionReader.h"

using namespace velmora;
using namespace velmora::e2e;

namespace {

// A page option string per nesting, and the test's name for it.
struct Nesting {
    const char* name;
    const char* options;
};
std::string nestingName(const ::testing::TestParamInfo<Nesting>& info) { return info.param.name; }

// Line wrappers pruned (the parts become siblings) or kept, and the parts nested in other ways.
class ChromiumMeetReaderTest : public ChromiumTest, public ::testing::WithParamInterface<Nesting> {};

TEST_P(ChromiumMeetReaderTest, FollowsTheCaptionsAsTheyChange) {
    open(QStringLiteral("meet.html"));
    run(QStringLiteral("filler(document.body, 600, 'Side'); meet.show(%1); meet.say('Ana Lima', 'Good morning')")
            .arg(QLatin1String(GetParam().options)));
    ReaderDriver<BrowserMeetCaptionReader> meet(env, scheduler, browser.browserPID());
    meet.start();
    EXPECT_EQ(meet.lastLines(), QStringList{"Ana Lima: Good morning"});

    run(QStringLiteral("meet.grow(0, ' everyone, shall we')"));
    EXPECT_EQ(meet.pollUntil({"Ana Lima: Good morning everyone, shall we"}),
              QStringList{"Ana Lima: Good morning everyone, shall we"});

    run(QStringLiteral("meet.say('Bo', 'Yes'); meet.revise(0, 'Good morning, everyone. Shall we start?')"));
    const QStringList revised{"Ana Lima: Good morning, everyone. Shall we start?", "Bo: Yes"};
    EXPECT_EQ(meet.pollUntil(revised), revised);

    run(QStringLiteral("meet.say('Cy', 'One moment'); meet.say('Dee', 'Sure'); meet.scroll(2)"));
    const QStringList scrolled{"Cy: One moment", "Dee: Sure"};
    EXPECT_EQ(meet.pollUntil(scrolled), scrolled);
    EXPECT_TRUE(meet.reader().hasCachedContainer());
}

INSTANTIATE_TEST_SUITE_P(Shapes, ChromiumMeetReaderTest,
                         ::testing::Values(Nesting{"PrunedLineWrappers", "{keepBlocks: false}"},
                                           Nesting{"KeptLineWrappers", "{keepBlocks: true}"},
                                           Nesting{"NameAndTextInOneWrapper", "{nesting: 'together'}"},
                                           Nesting{"EachInWrappersOfItsOwn", "{nesting: 'own'}"},
                                           Nesting{"WrapperAroundTheBlock", "{nesting: 'outer'}"}),
                         nestingName);

// Items as the client builds them: author and text spans in one body (with or without white
// space between), in wrappers of their own beside a named avatar, with more wrappers around.
class ChromiumTeamsReaderTest : public ChromiumTest, public ::testing::WithParamInterface<Nesting> {};

TEST_P(ChromiumTeamsReaderTest, FollowsTheCaptionsAsTheyChange) {
    open(QStringLiteral("teams.html"));
    run(QStringLiteral("filler(document.body, 600, 'Side'); teams.show(%1); teams.say('Dana', 'Hello')")
            .arg(QLatin1String(GetParam().options)));
    ReaderDriver<BrowserTeamsCaptionReader> teams(env, scheduler, browser.browserPID());
    teams.start();
    EXPECT_EQ(teams.lastLines(), QStringList{"Dana: Hello"});

    run(QStringLiteral("teams.grow(0, ' team'); teams.say('Eli', 'hi dana how')"));
    const QStringList grown{"Dana: Hello team", "Eli: hi dana how"};
    EXPECT_EQ(teams.pollUntil(grown), grown);

    // The last line is punctuated again once the speaker pauses.
    run(QStringLiteral("teams.revise(1, 'Hi Dana, how are you?'); teams.say('Dana', 'Fine.'); teams.scroll(1)"));
    const QStringList scrolled{"Eli: Hi Dana, how are you?", "Dana: Fine."};
    EXPECT_EQ(teams.pollUntil(scrolled), scrolled);
}

INSTANTIATE_TEST_SUITE_P(Markup, ChromiumTeamsReaderTest,
                         ::testing::Values(Nesting{"AdjacentSpans", "{}"},
                                           Nesting{"BlankBetweenSpans", "{spaced: true}"},
                                           Nesting{"AuthorAndTextInWrappersOfTheirOwn", "{nesting: 'own', spaced: true}"},
                                           Nesting{"WrapperAroundTheItem", "{nesting: 'outer'}"},
                                           Nesting{"DeepWrappersAndParagraphs", "{nesting: 'deep'}"}),
                         nestingName);

// The caption box kept by Chromium (it is positioned) or pruned (class only), and the lines
// nested in other ways.
class ChromiumZoomReaderTest : public ChromiumTest, public ::testing::WithParamInterface<Nesting> {};

TEST_P(ChromiumZoomReaderTest, FollowsTheLinesAndTellsSpeakersApartByLine) {
    open(QStringLiteral("zoom.html"));
    run(QStringLiteral("filler(zoom.doc().body, 400, 'Side'); zoom.show(%1); zoom.line('first line of text')")
            .arg(QLatin1String(GetParam().options)));
    ReaderDriver<BrowserZoomCaptionReader> zoom(env, scheduler, browser.browserPID());
    zoom.start();
    EXPECT_EQ(zoom.lastLines(), QStringList{"Speaker 1: first line of text"});

    run(QStringLiteral("zoom.grow(0, ' grows'); zoom.line('second')"));
    const QStringList two{"Speaker 1: first line of text grows", "Speaker 2: second"};
    EXPECT_EQ(zoom.pollUntil(two), two);

    run(QStringLiteral("zoom.scroll(1); zoom.line('third')"));
    const QStringList scrolled{"Speaker 2: second", "Speaker 3: third"};
    EXPECT_EQ(zoom.pollUntil(scrolled), scrolled);
}

INSTANTIATE_TEST_SUITE_P(Box, ChromiumZoomReaderTest,
                         ::testing::Values(Nesting{"PrunedBox", "{keepBox: false}"},
                                           Nesting{"KeptBox", "{keepBox: true}"},
                                           Nesting{"TextInSpansBesideANamedAvatar", "{nesting: 'spans'}"},
                                           Nesting{"WrapperAroundEachLine", "{nesting: 'outer', keepBox: true}"}),
                         nestingName);

class ChromiumReaderEndTest : public ChromiumTest {};

TEST_F(ChromiumReaderEndTest, SurvivesAShortRemovalAndEndsAfterFiveMissedPolls) {
    open(QStringLiteral("meet.html"));
    run(QStringLiteral("meet.show(); meet.say('Ana', 'Hello')"));
    ReaderDriver<BrowserMeetCaptionReader> meet(env, scheduler, browser.browserPID());
    meet.start();
    run(QStringLiteral("meet.hide()"));
    ASSERT_TRUE(meet.poll());
    ASSERT_TRUE(meet.poll());
    EXPECT_TRUE(meet.collected().last().isEmpty());
    EXPECT_FALSE(meet.reader().hasCachedContainer());
    run(QStringLiteral("meet.restore()"));
    EXPECT_EQ(meet.pollUntil({"Ana: Hello"}), QStringList{"Ana: Hello"});

    run(QStringLiteral("meet.hide()"));
    int polls = 0;
    while (meet.poll())
        ++polls;
    EXPECT_TRUE(meet.collected().ended());
    EXPECT_EQ(meet.reader().containerGoneCount(), 5);
    EXPECT_EQ(polls, 5); // one finds the cache stale, four more find nothing, the fifth ends
}

TEST_F(ChromiumReaderEndTest, SearchesAgainWhenTheCachedNodesDie) {
    // Re-created elements get new nodes; the old ones answer "does not exist".
    open(QStringLiteral("teams.html"));
    run(QStringLiteral("teams.show(); teams.say('Dana', 'Hello')"));
    ReaderDriver<BrowserTeamsCaptionReader> teams(env, scheduler, browser.browserPID());
    teams.start();
    run(QStringLiteral("const copy = teams.area.cloneNode(true); teams.area.replaceWith(copy); teams.area = copy;"
                       "teams.list = copy.querySelector('.virtual-list'); teams.say('Eli', 'Still here')"));
    EXPECT_EQ(teams.pollUntil({"Dana: Hello", "Eli: Still here"}), (QStringList{"Dana: Hello", "Eli: Still here"}));
    EXPECT_FALSE(teams.collected().ended());
    EXPECT_TRUE(teams.collected().snapshots().contains(CaptionSnapshot{})) << "the dead cache read as stale";
}

TEST_F(ChromiumReaderEndTest, EndsAsTheApplicationGoneWhenTheBrowserIsKilled) {
    open(QStringLiteral("meet.html"));
    run(QStringLiteral("meet.show(); meet.say('Ana', 'Hello')"));
    ReaderDriver<BrowserMeetCaptionReader> meet(env, scheduler, browser.browserPID());
    meet.start();
    ASSERT_EQ(meet.lastLines(), QStringList{"Ana: Hello"});
    browser.browser().kill();
    int polls = 0;
    while (meet.poll())
        ++polls;
    EXPECT_TRUE(meet.collected().ended());
    EXPECT_LE(polls, 1) << "the stale cache, then the application gone";
    EXPECT_EQ(meet.reader().containerGoneCount(), 0);
    browser.restartBrowser();
}

} // namespace
