#include "sources/ZoomCaptionReader.h"

#include "fakes/LogCapture.h"
#include "fakes/ReaderTestBench.h"
#include "fakes/QtPrinters.h"

#include <gtest/gtest.h>

using namespace velmora;
using namespace std::chrono_literals;

namespace {

FakeNode::Ptr image(const QString& speaker) {
    auto node = FakeNode::make(AXRole::image);
    node->set(AXAttribute::description, speaker);
    return node;
}

// A cell as the client shows it: the speaker's picture, then the caption text.
FakeNode::Ptr cell(const std::optional<QString>& speaker, const std::optional<QString>& text) {
    auto node = FakeNode::make(AXRole::cell);
    if (speaker)
        node->add(image(*speaker));
    if (text)
        node->add(FakeNode::staticText(*text));
    return node;
}

FakeNode::Ptr row(const QList<FakeNode::Ptr>& cells) {
    auto node = FakeNode::make(AXRole::row);
    node->addAll(cells);
    return node;
}

FakeNode::Ptr captionTable(const QString& description = QStringLiteral("Closed caption subtitles")) {
    auto node = FakeNode::make(AXRole::table);
    node->set(AXAttribute::description, description);
    return node;
}

class ZoomCaptionReaderTest : public ReaderTestBench<ZoomCaptionReader> {
protected:
    FakeNode::Ptr app = ax.app(40);
    FakeNode::Ptr window = app->add(FakeNode::make(AXRole::window));

    ZoomCaptionReaderTest() { ax.addRunning(QStringLiteral("zoom"), 40); }
};

TEST_F(ZoomCaptionReaderTest, ReadsThePreferredClientAndFailsClearlyWithoutOne) {
    // The first identifier in preference order wins, also over a client listed earlier by the
    // system; on Linux the client is its executable.
    ax.running.clear();
    ax.addRunning(QStringLiteral("zoom.us"), 41);
    ax.addRunning(QStringLiteral("zoom"), 40);
    ax.app(41)->add(captionTable())->add(row({cell(QStringLiteral("Old"), QStringLiteral("wrong"))}));
    window->add(captionTable())->add(row({cell(QStringLiteral("Ana"), QStringLiteral("right"))}));
    start();
    EXPECT_EQ(lines(collected->last()), QStringList{"Ana: right"});

    ax.running.clear();
    scheduler.advance(5000ms);
    LogCapture log("velmora.zoom-reader");
    auto missing = std::make_shared<ZoomCaptionReader>(env, pidCache);
    const std::optional<VelmoraError> error = startFailure(*missing);
    ASSERT_TRUE(error);
    EXPECT_EQ(*error, VelmoraError::captionSourceNotFound(CaptionSource::zoom));
    EXPECT_FALSE(missing->isPolling());
    EXPECT_EQ(log.matching("Zoom not running"),
              QStringList{R"(Zoom not running (bundles: ["us.zoom.xos", "us.zoom.ZoomPlayer", "zoom.us"]))"});
}

TEST_F(ZoomCaptionReaderTest, TurnsRowsAndCellsIntoEntries) {
    auto table = window->add(captionTable());
    auto header = table->add(FakeNode::make(AXRole::group)); // not a row: skipped
    header->add(FakeNode::staticText(QStringLiteral("Captions")));
    table->add(row({cell(QStringLiteral("Ana"), std::nullopt)}));            // picture, no text
    table->add(row({cell(std::nullopt, QStringLiteral(" no picture "))}));  // text kept as read
    table->add(row({cell(QStringLiteral("Ben"), QStringLiteral("left")),
                    cell(QStringLiteral("Cy"), QStringLiteral("right"))}));
    // A childless cell in a row is skipped even when it has a title.
    auto bare = FakeNode::make(AXRole::cell);
    bare->set(AXAttribute::title, QStringLiteral("not read"));
    table->add(row({bare, cell(QStringLiteral(""), QStringLiteral("x"))}));
    auto odd = table->add(row({}));
    auto mixed = odd->add(FakeNode::make(AXRole::cell));
    mixed->add(image(QStringLiteral("First")));
    mixed->add(FakeNode::make(AXRole::group))->add(FakeNode::staticText(QStringLiteral("nested")));
    mixed->add(FakeNode::staticText(QStringLiteral("one")));
    mixed->add(image(QStringLiteral("Second")));
    mixed->add(FakeNode::staticText(QStringLiteral("two")));
    odd->add(FakeNode::staticText(QStringLiteral("outside any cell")));

    start();
    const CaptionSnapshot snapshot = collected->last();
    EXPECT_EQ(lines(snapshot), (QStringList{"Unknown:  no picture ", "Ben: left", "Cy: right",
                                            "Unknown: x", "Second: two"}));
    for (const CaptionEntry& entry : snapshot)
        EXPECT_EQ(entry.timestamp, clock.now());
}

// A Qt item cell: no children, the text as its title and the speaker as its description.
FakeNode::Ptr itemCell(const QString& speaker, const QString& text) {
    auto node = FakeNode::make(AXRole::cell);
    node->set(AXAttribute::title, text);
    node->set(AXAttribute::description, speaker);
    return node;
}

TEST_F(ZoomCaptionReaderTest, ReadsTheCellsOfAQtTable) {
    // No row elements: a corner widget, header cells named by their numbers, then the cells.
    auto table = window->add(captionTable());
    table->add(FakeNode::make(AXRole::group));
    auto columnHeader = table->add(FakeNode::make(QStringLiteral("AXTableColumnHeader")));
    columnHeader->set(AXAttribute::title, QStringLiteral("1"));
    auto rowHeader = FakeNode::make(QStringLiteral("AXTableRowHeader"));
    rowHeader->set(AXAttribute::title, QStringLiteral("1"));
    table->add(rowHeader);
    table->add(itemCell(QStringLiteral("Ana"), QStringLiteral("hello")));
    table->add(itemCell(QString(), QStringLiteral("no picture")));
    table->add(itemCell(QStringLiteral("Ben"), QString()));
    table->add(FakeNode::make(AXRole::cell)); // nothing to read
    table->add(cell(QStringLiteral("Cy"), QStringLiteral("a cell widget")));
    start();
    EXPECT_EQ(lines(collected->last()),
              (QStringList{"Ana: hello", "Unknown: no picture", "Cy: a cell widget"}));
}

TEST_F(ZoomCaptionReaderTest, KeepsTheCachedTableOnlyWhileItCarriesTheMarker) {
    auto table = window->add(captionTable());
    auto line = table->add(row({cell(QStringLiteral("Ana"), QStringLiteral("hello"))}));
    auto reader = start();
    ASSERT_TRUE(reader->hasCachedContainer());

    table->removeChild(line); // captions on, nobody speaking
    poll();
    EXPECT_TRUE(reader->hasCachedContainer());
    EXPECT_TRUE(collected->last().isEmpty());
    EXPECT_EQ(reader->containerGoneCount(), 0);

    table->set(AXAttribute::description, QStringLiteral("Participants"));
    poll();
    EXPECT_FALSE(reader->hasCachedContainer());
    poll(); // the search no longer finds it
    EXPECT_EQ(reader->containerGoneCount(), 1);
}

TEST_F(ZoomCaptionReaderTest, TableWithTrailingSpaceIsFoundButNotKeptWhenEmpty) {
    auto table = window->add(captionTable(QStringLiteral("Closed caption subtitles ")));
    auto line = table->add(row({cell(QStringLiteral("Ana"), QStringLiteral("hello"))}));
    auto reader = start();
    EXPECT_EQ(lines(collected->last()), QStringList{"Ana: hello"});
    poll(); // entries: the cache holds without a marker check
    EXPECT_TRUE(reader->hasCachedContainer());

    table->removeChild(line);
    poll(); // empty: the exact marker check fails
    EXPECT_FALSE(reader->hasCachedContainer());
    poll(); // found again by the trimming search
    EXPECT_TRUE(reader->hasCachedContainer());
    EXPECT_EQ(reader->containerGoneCount(), 0);
    EXPECT_TRUE(collected->last().isEmpty());
}

TEST_F(ZoomCaptionReaderTest, LogsEachSpeakerOnceWithAShortPreview) {
    const QString fifty(50, QLatin1Char('a'));
    const QString fiftyOne = QString(50, QLatin1Char('b')) + QStringLiteral("c");
    auto table = window->add(captionTable());
    table->add(row({cell(QStringLiteral("Ana"), fifty)}));
    table->add(row({cell(QStringLiteral("Ben"), fiftyOne)}));
    LogCapture log("velmora.zoom-reader");
    auto reader = start();
    table->add(row({cell(QStringLiteral("Ana"), QStringLiteral("again"))}));
    poll(2);
    EXPECT_EQ(log.matching("\""),
              (QStringList{"\"Ana\": \"" + fifty + "\"",
                           "\"Ben\": \"" + QString(50, QLatin1Char('b')) + "...\""}));
}

} // namespace
