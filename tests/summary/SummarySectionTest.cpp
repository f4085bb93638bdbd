#include "summary/SummarySection.h"

#include <gtest/gtest.h>

namespace velmora {
namespace {

TEST(SummarySectionTest, SplitsHeadingsItemsAndParagraphs) {
    const auto sections = SummarySection::fromMarkdown(QStringLiteral(
        "# Meeting Summary\r\n\nWritten before any heading\n## Topics\n- a\n  - b  \n\n"
        "## Decisions\nShip it.\n- c\n##\n\n"));
    ASSERT_EQ(sections.size(), 3);
    EXPECT_EQ(sections[0].heading, QString());
    EXPECT_EQ(sections[0].paragraphs, QStringList{QStringLiteral("Written before any heading")});
    EXPECT_TRUE(sections[0].isFirst);
    EXPECT_EQ(sections[1].heading, QStringLiteral("Topics"));
    EXPECT_EQ(sections[1].items, (QStringList{QStringLiteral("a"), QStringLiteral("b")}));
    EXPECT_FALSE(sections[1].isFirst);
    EXPECT_EQ(sections[2].id, 2);
    EXPECT_EQ(sections[2].items, QStringList{QStringLiteral("c")});
    // "##" without a blank is text.
    EXPECT_EQ(sections[2].paragraphs, (QStringList{QStringLiteral("Ship it."), QStringLiteral("##")}));
}

} // namespace
} // namespace velmora
