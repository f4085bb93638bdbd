#include "library/search/SearchDocumentReader.h"

#include "SearchTestFiles.h"

#include <gtest/gtest.h>

using namespace velmora;

namespace {

QStringList texts(const QList<IndexedEntry>& entries) {
    QStringList result;
    for (const IndexedEntry& entry : entries)
        result.append(entry.speaker + QLatin1Char('|') + (entry.time ? entry.time->toString("HH:mm:ss") : "-") +
                      QLatin1Char('|') + entry.section + QLatin1Char('|') + entry.text);
    return result;
}

} // namespace

TEST(SearchDocumentReaderTest, TranscriptsInBothFormatsGiveOneEntryPerUtterance) {
    const QByteArray markdown = searchtest::markdownTranscript({{"09:30:05", "Alice", "First."},
                                                                {"09:30:09", "Alice", "Second, same heading."},
                                                                {"09:31:00", "Bob: the builder", "Third."}});
    EXPECT_EQ(texts(SearchDocumentReader::readTranscript(QString::fromUtf8(markdown))),
              (QStringList{"Alice|09:30:05||First.", "Alice|09:30:05||Second, same heading.",
                           "Bob: the builder|09:31:00||Third."}));

    const QString plain = "Date: 2026-03-14 | Start: 09:30:05 | End: --:--:-- | Duration: --:--:--\n"
                          "\n[09:30:05] Alice: First.\n[09:30:09] Alice: Second: with a colon.\n"
                          "\n[09:31:00] Bob: Third.\r\n[09:31:02] Bob:    \n";
    const QList<IndexedEntry> entries = SearchDocumentReader::readTranscript(plain);
    EXPECT_EQ(texts(entries), (QStringList{"Alice|09:30:05||First.", "Alice|09:30:09||Second: with a colon.",
                                           "Bob|09:31:00||Third."}));
    EXPECT_EQ(entries[2].ordinal, 2);
}

TEST(SearchDocumentReaderTest, HandEditedTranscriptKeepsItsHeaderOutAndJoinsWrappedLines) {
    const QString edited = "# Meeting Transcript\n\n**Date:** 2026-03-14\n\n---\n\nstray header text\n\n"
                           "**[09:30:05] Alice:**\n\nA paragraph\nwrapped by hand.\n\n\n\nNext one.\n";
    EXPECT_EQ(texts(SearchDocumentReader::readTranscript(edited)),
              (QStringList{"Alice|09:30:05||A paragraph\nwrapped by hand.", "Alice|09:30:05||Next one."}));
    EXPECT_TRUE(SearchDocumentReader::readTranscript("just some text\n\nno speakers").isEmpty());
}

// Stored as seconds of the day, an invalid time would come back from a search as midnight.
TEST(SearchDocumentReaderTest, ImpossibleTimeOfDayIsReadAsNoTime) {
    EXPECT_EQ(texts(SearchDocumentReader::readTranscript("[42:30:50] Alice: Offline.\n\n**[09:61:00] Bob:**\n\nLater.")),
              (QStringList{"Alice|-||Offline.", "Bob|-||Later."}));
}

TEST(SearchDocumentReaderTest, NotesAreParagraphsAndSummariesAreTheItemsOfTheKnownSections) {
    EXPECT_EQ(texts(SearchDocumentReader::readNotes("  Call Ann  \n\n\n- budget\n- hiring\n\nlast")),
              (QStringList{"|-||Call Ann", "|-||- budget\n- hiring", "|-||last"}));
    EXPECT_TRUE(SearchDocumentReader::readNotes("\n \n").isEmpty());

    const QString summary = "# Meeting Summary\n\n- not in a section\n## Topics\n  -   Review budget  \n-\n- \n"
                            "* starred\n1. numbered\n## Next Steps\n- ignored\n## topics\n- ignored too\n"
                            "## Action Items\n- **Ann**: sends the plan\n### Detail\n- still an action\n"
                            "# Other title\n- ignored\n## Topics\n- Second topics section\n";
    EXPECT_EQ(texts(SearchDocumentReader::readSummary(summary)),
              (QStringList{"|-|Topics|Review budget", "|-|Action Items|Ann: sends the plan",
                           "|-|Action Items|still an action", "|-|Topics|Second topics section"}));
}
