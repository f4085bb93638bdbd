#include "capture/MarkdownFormatter.h"
#include "capture/PlainTextFormatter.h"
#include "library/DisplayEntry.h"
#include "library/MeetingFormatters.h"
#include "library/MeetingGroup.h"
#include "library/MeetingSelection.h"
#include "library/TranscriptStore.h"
#include "library/search/SearchDocumentReader.h"

#include <QSignalSpy>
#include <QTimeZone>

#include <gtest/gtest.h>

#include <ctime>

using namespace velmora;

namespace {

QDateTime local(int y, int mo, int d, int h, int mi, int s = 0) {
    return QDateTime(QDate(y, mo, d), QTime(h, mi, s), Qt::LocalTime);
}

// The text a transcript file holds after the writer appended `entries` and finalised it.
QString writtenFile(const TranscriptFormatter& formatter, const QList<CaptionEntry>& entries) {
    const QDateTime start = entries.first().timestamp;
    QString content = formatter.formatHeader(start, start);
    QString previous;
    for (const CaptionEntry& entry : entries) {
        content += formatter.formatEntry(entry, entry.speaker != previous);
        previous = entry.speaker;
    }
    return formatter.formatFinalization(content, entries.last().timestamp.addSecs(5), 125);
}

const QList<CaptionEntry> meeting{
    {local(2026, 3, 2, 10, 0, 1), QStringLiteral("Alice"), QStringLiteral("Hello there")},
    {local(2026, 3, 2, 10, 0, 4), QStringLiteral("Alice"), QStringLiteral("How are you")},
    {local(2026, 3, 2, 10, 0, 9), QStringLiteral("Dr: Who"), QStringLiteral("Fine: thanks")},
};

// Changes the process's time zone for one test.
class TimeZoneGuard {
  public:
    explicit TimeZoneGuard(const char* zone) : old_(qgetenv("TZ")) { set(zone); }
    ~TimeZoneGuard() { set(old_.isEmpty() ? nullptr : old_.constData()); }

  private:
    static void set(const char* zone) {
        if (zone)
            qputenv("TZ", zone);
        else
            qunsetenv("TZ");
        tzset();
    }
    QByteArray old_;
};

} // namespace

TEST(DisplayEntryTest, MarkdownFileJoinsContinuationParagraphsUnderOneHeading) {
    const auto entries = DisplayEntry::fromMarkdown(writtenFile(MarkdownFormatter(), meeting));
    // The bold heading's speaker is the shortest name before ":**", colon included.
    const QList<DisplayEntry> expected{
        {0, QStringLiteral("Alice"), QStringLiteral("10:00:01"),
         QStringLiteral("Hello there How are you")},
        {1, QStringLiteral("Dr: Who"), QStringLiteral("10:00:09"), QStringLiteral("Fine: thanks"),
         2},
    };
    EXPECT_EQ(entries, expected);
}

TEST(DisplayEntryTest, PlainTextFileShowsEveryLineWithItsText) {
    const auto entries = DisplayEntry::fromMarkdown(writtenFile(PlainTextFormatter(), meeting));
    // Without the bold markers the name ends at its first colon; the rest stays text.
    const QList<DisplayEntry> expected{
        {0, QStringLiteral("Alice"), QStringLiteral("10:00:01"), QStringLiteral("Hello there")},
        {1, QStringLiteral("Alice"), QStringLiteral("10:00:04"), QStringLiteral("How are you"), 1},
        {2, QStringLiteral("Dr"), QStringLiteral("10:00:09"), QStringLiteral("Who: Fine: thanks"),
         2},
    };
    EXPECT_EQ(entries, expected);
}

TEST(DisplayEntryTest, FilesWithWindowsLineEndingsReadAsWritten) {
    for (const QString& file :
         {writtenFile(MarkdownFormatter(), meeting), writtenFile(PlainTextFormatter(), meeting)}) {
        QString crlf = file;
        crlf.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
        EXPECT_EQ(DisplayEntry::fromMarkdown(crlf), DisplayEntry::fromMarkdown(file));
    }
}

TEST(DisplayEntryTest, SkipsTextBeforeFirstHeadingEmptyHeadingsAndHeaderLines) {
    const QString text = QStringLiteral("stray line\n"
                                        "**[09:00:00] Nobody:**\n\n"
                                        "**[09:00:02] Bea:**\n"
                                        "  \t first \t\n"
                                        "---\n"
                                        "# not a title\n"
                                        "**Duration:** 00:01:00\n"
                                        "second\r\n");
    const auto entries = DisplayEntry::fromMarkdown(text);
    ASSERT_EQ(entries.size(), 1);
    // A Windows line end's carriage return is trimmed with the paragraph.
    EXPECT_EQ(entries[0], (DisplayEntry{0, QStringLiteral("Bea"), QStringLiteral("09:00:02"),
                                        QStringLiteral("first second")}));
}

// A search hit names the utterance by its place in the file, counted by the index's reader; the
// window must find the block that shows it, in both formats.
TEST(DisplayEntryTest, UtterancesCountedAsTheSearchIndexCountsThemLeadToTheirBlocks) {
    QList<CaptionEntry> said = meeting;
    said.append(
        {local(2026, 3, 2, 10, 0, 12), QStringLiteral("Dr: Who"), QStringLiteral("Next point")});
    said.append({local(2026, 3, 2, 10, 0, 15), QStringLiteral("Alice"), QStringLiteral("Agreed")});
    const MarkdownFormatter markdown;
    const PlainTextFormatter plain;
    for (const TranscriptFormatter* formatter : {static_cast<const TranscriptFormatter*>(&markdown),
                                                 static_cast<const TranscriptFormatter*>(&plain)}) {
        const QString file = writtenFile(*formatter, said);
        const auto blocks = DisplayEntry::fromMarkdown(file);
        const auto indexed = SearchDocumentReader::readTranscript(file);
        ASSERT_EQ(indexed.size(), said.size());
        for (const IndexedEntry& utterance : indexed) {
            const qsizetype block = DisplayEntry::blockOfUtterance(blocks, utterance.ordinal);
            ASSERT_GE(block, 0);
            EXPECT_TRUE(blocks[block].text.contains(utterance.text))
                << utterance.text.toStdString();
            EXPECT_TRUE(utterance.speaker.startsWith(blocks[block].speaker));
        }
    }
    EXPECT_EQ(DisplayEntry::blockOfUtterance({}, 3), -1);
}

TEST(DisplayEntryTest, HeaderIsFoundAnywhereInTheLineAndNeedsTheFullTime) {
    EXPECT_EQ(DisplayEntry::parseHeader(u"> **[01:02:03]   Ann B:** x"),
              (DisplayEntry::Header{QStringLiteral("Ann B"), QStringLiteral("01:02:03"),
                                    QStringLiteral(" x")}));
    EXPECT_FALSE(DisplayEntry::parseHeader(u"[1:02:03] Ann: hi"));
    EXPECT_FALSE(DisplayEntry::parseHeader(u"[01:02:03]Ann: hi"));
    EXPECT_FALSE(DisplayEntry::parseHeader(u"no header here"));
}

TEST(DisplayEntryTest, LiveEntriesAreNumberedAndTimedInTheLocalZone) {
    const auto entries = DisplayEntry::fromLive(meeting);
    ASSERT_EQ(entries.size(), 3);
    EXPECT_EQ(entries[2], (DisplayEntry{2, QStringLiteral("Dr: Who"), QStringLiteral("10:00:09"),
                                        QStringLiteral("Fine: thanks"), 2}));
    EXPECT_TRUE(DisplayEntry::fromLive(QList<CaptionEntry>{}).isEmpty());
}

TEST(TranscriptStoreTest, EachChangeIsAnnouncedOnceAndNoChangeNotAtAll) {
    TranscriptStore store;
    QSignalSpy resets(&store, &TranscriptStore::entriesReset);
    QSignalSpy appends(&store, &TranscriptStore::entriesAppended);
    QSignalSpy patches(&store, &TranscriptStore::entryPatched);
    const auto entries = DisplayEntry::fromLive(meeting);

    store.setEntries(entries);
    store.setEntries(entries);
    EXPECT_EQ(resets.count(), 1);

    store.append({});
    store.append({{3, QStringLiteral("Cy"), QStringLiteral("10:00:20"), QStringLiteral("a")},
                  {4, QStringLiteral("Cy"), QStringLiteral("10:00:21"), QStringLiteral("b")}});
    ASSERT_EQ(appends.count(), 2);
    EXPECT_EQ(appends[1], (QList<QVariant>{qsizetype(3), qsizetype(2)}));
    EXPECT_EQ(store.count(), 5);

    DisplayEntry changed = store.entries()[4];
    changed.text = QStringLiteral("b, c");
    store.patch(-1, changed);
    store.patch(5, changed);
    EXPECT_EQ(patches.count(), 0);
    store.patch(4, changed);
    ASSERT_EQ(patches.count(), 1);
    EXPECT_EQ(patches[0][0].value<qsizetype>(), 4);
    EXPECT_EQ(store.entries()[4].text, QStringLiteral("b, c"));
    EXPECT_EQ(resets.count(), 1);
}

TEST(MeetingFormattersTest, DurationsRoundDownToMinutesAndHours) {
    EXPECT_EQ(MeetingFormatters::formatDuration(0.4), QStringLiteral("1 min"));
    EXPECT_EQ(MeetingFormatters::formatDuration(59), QStringLiteral("1 min"));
    EXPECT_EQ(MeetingFormatters::formatDuration(3599), QStringLiteral("59 min"));
    EXPECT_EQ(MeetingFormatters::formatDuration(3725), QStringLiteral("1h 2 min"));
    EXPECT_EQ(MeetingFormatters::formatDuration(7200), QStringLiteral("2h"));
    EXPECT_EQ(MeetingFormatters::formatDuration(7260), QStringLiteral("2h 1 min"));
    EXPECT_EQ(MeetingFormatters::formatDuration(std::nan("")), QStringLiteral("1 min"));
    EXPECT_FALSE(MeetingFormatters::formatDuration(1e300).isEmpty());
}

TEST(MeetingFormattersTest, DaysChangeAtLocalMidnight) {
    const QDateTime justAfterMidnight = local(2026, 1, 31, 0, 0, 30);
    EXPECT_EQ(MeetingFormatters::formatDate(local(2026, 1, 30, 23, 59), justAfterMidnight),
              QStringLiteral("Yesterday, 23:59"));
    EXPECT_EQ(MeetingFormatters::formatDate(local(2026, 1, 31, 0, 0), justAfterMidnight),
              QStringLiteral("Today, 00:00"));
    EXPECT_EQ(MeetingFormatters::formatDate(local(2026, 1, 29, 14, 5), justAfterMidnight),
              QStringLiteral("Thu, Jan 29, 14:05"));
    // Across a year boundary "yesterday" is still one calendar day back.
    EXPECT_EQ(MeetingFormatters::dayTitle(local(2025, 12, 31, 22, 0), local(2026, 1, 1, 8, 0)),
              QStringLiteral("Yesterday"));
}

TEST(MeetingFormattersTest, MeetingsStoredInUtcShowInTheLocalZone) {
    const TimeZoneGuard zone("America/New_York");
    // 03:30 UTC on 1 Feb is 22:30 on 31 Jan in New York.
    const QDateTime meetingUtc(QDate(2026, 2, 1), QTime(3, 30), QTimeZone::utc());
    const QDateTime nowUtc(QDate(2026, 2, 1), QTime(14, 0), QTimeZone::utc());
    EXPECT_EQ(MeetingFormatters::formatDate(meetingUtc, nowUtc),
              QStringLiteral("Yesterday, 22:30"));
    EXPECT_EQ(MeetingFormatters::dayKey(meetingUtc), QStringLiteral("2026-01-31"));
}

TEST(MeetingGroupTest, GroupsByLocalDayInOrderOfFirstAppearance) {
    const QDateTime now = local(2026, 3, 10, 9, 0);
    const auto meetingAt = [](const QDateTime& date) {
        MeetingRecord record;
        record.id = QUuid::createUuid();
        record.date = date;
        return record;
    };
    const QList<MeetingRecord> meetings{meetingAt(local(2026, 3, 10, 8, 0)),
                                        meetingAt(local(2026, 3, 9, 18, 0)),
                                        meetingAt(local(2026, 3, 10, 7, 0)), // out of order
                                        meetingAt(local(2026, 3, 2, 11, 0))};
    const auto groups = MeetingGroup::groupByDay(meetings, now);
    ASSERT_EQ(groups.size(), 3);
    EXPECT_EQ(groups[0].title, QStringLiteral("Today"));
    EXPECT_EQ(groups[0].meetings, (QList<MeetingRecord>{meetings[0], meetings[2]}));
    EXPECT_EQ(groups[1].title, QStringLiteral("Yesterday"));
    EXPECT_EQ(groups[2].title, QStringLiteral("Mar 2, 2026"));
    EXPECT_EQ(groups[2].id, QStringLiteral("2026-03-02"));
}

TEST(MeetingSelectionTest, SettingsAndRecordsCompareByWhatTheyShow) {
    const QUuid id = QUuid::createUuid();
    EXPECT_EQ(MeetingSelection::settings(), MeetingSelection::settings());
    EXPECT_EQ(MeetingSelection::record(id), MeetingSelection::record(id));
    EXPECT_NE(MeetingSelection::record(id), MeetingSelection::record(QUuid::createUuid()));
    EXPECT_NE(MeetingSelection::record(id), MeetingSelection::settings());
    EXPECT_EQ(qHash(MeetingSelection::record(id)), qHash(MeetingSelection::record(id)));
}
