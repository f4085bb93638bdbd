#include "ui/SearchPanel.h"

#include "fakes/ImmediateExecutor.h"
#include "fakes/ManualScheduler.h"
#include "library/search/MeetingSearchIndex.h"
#include "library/search/SearchSession.h"
#include "ui/SearchResultListModel.h"

#include "../library/SearchTestFiles.h"

#include <QAccessible>
#include <QApplication>
#include <QDeadlineTimer>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using namespace velmora;
using namespace velmora::searchtest;

namespace {

class SearchPanelTest : public ::testing::Test {
protected:
    QTemporaryDir temp;
    ManualScheduler scheduler;
    QList<MeetingRecord> records;
    std::unique_ptr<MeetingSearchIndex> index;
    SearchSession session{scheduler};
    SearchPanel panel{session};
    QListView* list = nullptr;

    void SetUp() override {
        const QString dir = temp.filePath("meetings");
        QDir().mkpath(dir);
        writeFile(QDir(dir).filePath("a.md"), markdownTranscript({
            {"09:00:00", "Alice", "We agreed on the budget for <Q3> & Q4."},
            {"09:01:10", "Bob", "The budget needs a review."},
        }));
        records = {meeting(1, dir, "a.md")};
        index = std::make_unique<MeetingSearchIndex>(dir, [this] { return records; }, scheduler,
                                                     std::make_unique<ImmediateExecutor>(),
                                                     temp.filePath("index.sqlite"));
        index->historyChanged();
        settle();
        session.setIndex(index.get());
        panel.resize(320, 480);
        panel.show();
        list = panel.findChild<QListView*>();
    }
    void settle() {
        for (int turn = 0; turn < 5; ++turn) {
            scheduler.advance(SearchSession::typingPause);
            QCoreApplication::processEvents();
        }
    }
    void type(const QString& text) {
        QTest::keyClicks(panel.field(), text);
        settle();
    }
};

} // namespace

TEST_F(SearchPanelTest, TypedQueryShowsMarkedResultsAndEnterOpensTheChosenOne) {
    QSignalSpy active(&panel, &SearchPanel::activeChanged);
    QSignalSpy chosen(&panel, &SearchPanel::resultChosen);
    EXPECT_FALSE(list->isVisibleTo(&panel));

    type("budget speaker:Bob");
    ASSERT_EQ(active.size(), 1);
    EXPECT_TRUE(active.last().at(0).toBool());
    ASSERT_EQ(list->model()->rowCount(), 1);
    const QModelIndex row = list->model()->index(0, 0);
    EXPECT_EQ(row.data(SearchResultListModel::snippetHtmlRole).toString(),
              "The <b>budget</b> needs a review.");
    EXPECT_TRUE(row.data(Qt::AccessibleTextRole).toString().contains("Bob · 09:01:10"));

    // Down moves through the results while the field keeps the focus; Enter opens.
    QTest::keyClick(panel.field(), Qt::Key_Down);
    QTest::keyClick(panel.field(), Qt::Key_Return);
    ASSERT_EQ(chosen.size(), 1);
    const auto result = chosen.last().at(0).value<SearchResult>();
    EXPECT_EQ(result.meetingID, records.first().id);
    EXPECT_EQ(result.kind, SearchEntryKind::transcript);
    EXPECT_EQ(result.ordinal, 1);

    // Escape ends the search and gives the meeting list back.
    QTest::keyClick(panel.field(), Qt::Key_Escape);
    EXPECT_TRUE(panel.field()->text().isEmpty());
    EXPECT_FALSE(active.last().at(0).toBool());
    EXPECT_EQ(list->model()->rowCount(), 0);
}

TEST_F(SearchPanelTest, MarkupInTheTextIsShownAsTypedAndBadQueriesExplainThemselves) {
    type("q3");
    ASSERT_EQ(list->model()->rowCount(), 1);
    EXPECT_EQ(list->model()->index(0, 0).data(SearchResultListModel::snippetHtmlRole).toString(),
              "We agreed on the budget for &lt;<b>Q3</b>&gt; &amp; Q4.");

    panel.clear();
    type("before:tomorrow");
    const auto* message = panel.findChild<QLabel*>();
    EXPECT_EQ(list->model()->rowCount(), 0);
    EXPECT_FALSE(message->text().isEmpty());
    EXPECT_NE(message->text(), "No results");

    panel.clear();
    type("nothing-like-this");
    EXPECT_EQ(message->text(), "No results");
}
