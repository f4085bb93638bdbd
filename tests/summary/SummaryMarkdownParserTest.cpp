#include "summary/SummaryMarkdownParser.h"

#include <gtest/gtest.h>

using namespace velmora;

namespace {

MeetingSummary sample() {
    MeetingSummary s;
    s.topics = {QStringLiteral("Budget for Q3"), QStringLiteral("Hiring – two roles")};
    s.actionItems = {QStringLiteral("Anna: send the deck by Friday")};
    s.decisions = {};
    s.attendees = {QStringLiteral("Анна"), QStringLiteral("李雷"), QStringLiteral("Élodie")};
    return s;
}

TEST(SummaryMarkdownParserTest, RendersTitleAndEverySectionEvenWhenEmpty) {
    EXPECT_EQ(SummaryMarkdownParser::render(sample()),
              QStringLiteral("# Meeting Summary\n\n"
                             "## Topics\n- Budget for Q3\n- Hiring – two roles\n\n"
                             "## Action Items\n- Anna: send the deck by Friday\n\n"
                             "## Decisions\n\n"
                             "## Attendees\n- Анна\n- 李雷\n- Élodie\n"));
    EXPECT_EQ(SummaryMarkdownParser::render({}),
              QStringLiteral("# Meeting Summary\n\n## Topics\n\n## Action Items\n\n## Decisions\n\n## Attendees\n"));
}

TEST(SummaryMarkdownParserTest, ParsingTheRenderedTextGivesTheSummaryBack) {
    EXPECT_EQ(SummaryMarkdownParser::parse(SummaryMarkdownParser::render(sample())), sample());
    EXPECT_EQ(SummaryMarkdownParser::parse(SummaryMarkdownParser::render({})), MeetingSummary{});

    MeetingSummary markdownInside;
    markdownInside.topics = {QStringLiteral("- nested dash"), QStringLiteral("## not a heading"),
                             QStringLiteral("a\u00a0no-break space\u00a0")};
    EXPECT_EQ(SummaryMarkdownParser::parse(SummaryMarkdownParser::render(markdownInside)), markdownInside);
}

TEST(SummaryMarkdownParserTest, LineBreakInsideAnItemStaysInThatItem) {
    MeetingSummary s;
    s.topics = {QStringLiteral("first\n## Attendees\n- intruder"), QStringLiteral("a\r\nb")};
    s.decisions = {QStringLiteral("kept")};
    const MeetingSummary back = SummaryMarkdownParser::parse(SummaryMarkdownParser::render(s));
    EXPECT_EQ(back.topics,
              QStringList({QStringLiteral("first ## Attendees - intruder"), QStringLiteral("a  b")}));
    EXPECT_EQ(back.decisions, QStringList{QStringLiteral("kept")});
    EXPECT_TRUE(back.attendees.isEmpty());
}

TEST(SummaryMarkdownParserTest, ItemWithAStrayBreakCharacterReadsAsItIsSavedAgain) {
    const MeetingSummary read = SummaryMarkdownParser::parse(
        QStringLiteral("## Topics\n- \r-x\n- a\u2028b\r\n- c\u2029\n"));
    EXPECT_EQ(read.topics, QStringList({QStringLiteral("-x"), QStringLiteral("a b"), QStringLiteral("c")}));
    EXPECT_EQ(SummaryMarkdownParser::parse(SummaryMarkdownParser::render(read)), read);
}

TEST(SummaryMarkdownParserTest, EditedFileIsReadTolerantly) {
    const QString edited = QStringLiteral("Some intro the user typed\n"
                                          "- bullet before any section\n"
                                          "# Meeting Summary\n"
                                          "\t## Topics  \n"
                                          "  -   Review budget  \n"
                                          "-\n"
                                          "-    \n"
                                          "* star item\n"
                                          "1. numbered item\n"
                                          "### Details\n"
                                          "- still a topic under a level-3 heading\n"
                                          "## Next Steps\n"
                                          "- belongs to no section\n"
                                          "## topics\n"
                                          "- wrong case heading\n"
                                          "## Decisions made\n"
                                          "- extra words heading\n"
                                          "## Topics\n"
                                          "- second topics section\n"
                                          "# Appendix\n"
                                          "- after a level-1 heading\n");
    MeetingSummary expected;
    expected.topics = {QStringLiteral("Review budget"), QStringLiteral("still a topic under a level-3 heading"),
                       QStringLiteral("second topics section")};
    EXPECT_EQ(SummaryMarkdownParser::parse(edited), expected);
}

TEST(SummaryMarkdownParserTest, TextWithoutKnownHeadingsParsesToFourEmptyLists) {
    EXPECT_EQ(SummaryMarkdownParser::parse(QString()), MeetingSummary{});
    EXPECT_EQ(SummaryMarkdownParser::parse(QStringLiteral("# Notes\n- one\n- two\n## Other\n- three")),
              MeetingSummary{});
}

TEST(SummaryMarkdownParserTest, CrlfFileReadsLikeLfFile) {
    QString crlf = SummaryMarkdownParser::render(sample());
    crlf.replace(u'\n', QStringLiteral("\r\n"));
    EXPECT_EQ(SummaryMarkdownParser::parse(crlf), sample());
}

} // namespace
