#include "ui/SummaryView.h"

#include <QPushButton>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>

#include <gtest/gtest.h>

namespace velmora {
namespace {

const QString summaryFile = QStringLiteral(R"(# Meeting Summary

## Topics
- Budget for **Q3** review
- The `deploy.sh` script

## Action Items
- # not a heading, just a hash
- 1. not a list

## Decisions
Ship on *Friday*.
- Raw <b>markup</b> stays text, see [the plan](https://example.org/plan)
)");

// Whether some fragment of the rendered document with `text` is bold.
bool renderedBold(const QTextDocument& document, const QString& text) {
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (fragment.text().contains(text) && fragment.charFormat().fontWeight() >= QFont::Bold)
                return true;
        }
    }
    return false;
}

TEST(SummaryViewTest, RendersSectionsWithInlineMarkdown) {
    SummaryView view;
    view.setSummary(summaryFile);
    ASSERT_EQ(view.state(), SummaryView::State::summary);
    const QString text = view.summaryText();
    EXPECT_FALSE(text.contains(QStringLiteral("Meeting Summary"))); // the title line is skipped
    EXPECT_TRUE(text.contains(QStringLiteral("Topics")));
    EXPECT_TRUE(text.contains(QStringLiteral("Budget for Q3 review")));
    EXPECT_FALSE(text.contains(QStringLiteral("**")));
    EXPECT_TRUE(text.contains(QStringLiteral("# not a heading, just a hash")));
    EXPECT_TRUE(text.contains(QStringLiteral("1. not a list")));
    EXPECT_TRUE(text.contains(QStringLiteral("Raw <b>markup</b> stays text")));
    EXPECT_TRUE(text.contains(QStringLiteral("Ship on Friday.")));
    const auto* browser = view.findChild<QTextBrowser*>();
    ASSERT_NE(browser, nullptr);
    EXPECT_TRUE(renderedBold(*browser->document(), QStringLiteral("Q3")));
    EXPECT_FALSE(renderedBold(*browser->document(), QStringLiteral("markup")));
}

TEST(SummaryViewTest, OpensOnlyWebAndMailLinks) {
    SummaryView view;
    QList<QUrl> opened;
    view.setLinkOpener([&](const QUrl& url) { opened.append(url); });
    view.setSummary(summaryFile);
    auto* browser = view.findChild<QTextBrowser*>();
    emit browser->anchorClicked(QUrl(QStringLiteral("https://example.org/plan")));
    emit browser->anchorClicked(QUrl(QStringLiteral("file:///etc/passwd")));
    emit browser->anchorClicked(QUrl(QStringLiteral("javascript:alert(1)")));
    emit browser->anchorClicked(QUrl(QStringLiteral("mailto:team@example.org")));
    EXPECT_EQ(opened, (QList<QUrl>{QUrl(QStringLiteral("https://example.org/plan")),
                                   QUrl(QStringLiteral("mailto:team@example.org"))}));
}

TEST(SummaryViewTest, ShowsProgressErrorsAndTheEmptyState) {
    SummaryView view;
    int requests = 0;
    QObject::connect(&view, &SummaryView::generateRequested, [&] { ++requests; });
    EXPECT_EQ(view.state(), SummaryView::State::empty);
    view.findChild<QPushButton*>()->click();
    EXPECT_EQ(requests, 1);

    view.showProgress(std::nullopt);
    EXPECT_EQ(view.statusText(), QStringLiteral("Generating summary..."));
    view.showProgress(SummaryProgress{2, 5, false});
    EXPECT_EQ(view.statusText(), QStringLiteral("Generating summary... Part 2 of 5"));
    view.showProgress(SummaryProgress{5, 5, true});
    EXPECT_EQ(view.statusText(), QStringLiteral("Generating summary... Combining the parts"));

    view.setSummary(QStringLiteral("# Meeting Summary\n\n## Topics\n"));
    EXPECT_EQ(view.state(), SummaryView::State::summary); // a heading alone is a section
    view.setSummary(QStringLiteral("# Meeting Summary\n\n"));
    EXPECT_EQ(view.state(), SummaryView::State::error);
    view.showError(QStringLiteral("The summary file could not be read."));
    EXPECT_EQ(view.statusText(), QStringLiteral("The summary file could not be read."));

    view.clear(true);
    EXPECT_EQ(view.state(), SummaryView::State::empty);
    EXPECT_FALSE(view.findChild<QPushButton*>()->isVisibleTo(&view));
    EXPECT_EQ(view.statusText(),
              QStringLiteral("No summary yet Summaries can be generated after the meeting ends."));
}

} // namespace
} // namespace velmora
