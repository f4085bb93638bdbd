#include "capture/MarkdownFormatter.h"
#include "capture/PlainTextFormatter.h"
#include "capture/TranscriptFormat.h"

#include <QTimeZone>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace velmora;

namespace {

QDateTime at(int hour, int minute, int second) {
    return QDateTime(QDate(2026, 3, 14), QTime(hour, minute, second), QTimeZone::utc());
}

// A, A, B as the writer produces them: the first entry of a file is always a new speaker.
template <typename Formatter>
QString threeEntryFile(const Formatter& formatter) {
    return formatter.formatHeader(at(9, 30, 5), at(9, 30, 5)) +
           formatter.formatEntry({at(9, 30, 6), "Alice", "Hello everyone."}, true) +
           formatter.formatEntry({at(9, 30, 12), "Alice", "Let us start."}, false) +
           formatter.formatEntry({at(9, 31, 0), "Bob", "Sounds good."}, true);
}

TEST(TranscriptFormatterTest, MarkdownFileByteForByte) {
    const MarkdownFormatter markdown;
    const QString content = threeEntryFile(markdown);
    EXPECT_EQ(content, "# Meeting Transcript\n"
                       "\n"
                       "**Date:** 2026-03-14\n"
                       "**Start:** 09:30:05\n"
                       "**End:** --:--:--\n"
                       "**Duration:** --:--:--\n"
                       "\n"
                       "---\n"
                       "\n"
                       "**[09:30:06] Alice:**\n"
                       "\n"
                       "Hello everyone.\n"
                       "\n"
                       "Let us start.\n"
                       "\n"
                       "**[09:31:00] Bob:**\n"
                       "\n"
                       "Sounds good.\n"
                       "\n");
    const QString finalized = markdown.formatFinalization(content, at(10, 32, 7), 3725.9);
    EXPECT_EQ(finalized.section('\n', 4, 5), "**End:** 10:32:07\n**Duration:** 01:02:05");
    EXPECT_EQ(finalized.mid(finalized.indexOf("---")), content.mid(content.indexOf("---")));
    EXPECT_EQ(markdown.formatFinalization(finalized, at(11, 0, 0), 99999), finalized);
    EXPECT_EQ(markdown.fileExtension(), "md");
}

TEST(TranscriptFormatterTest, PlainTextFileByteForByte) {
    const PlainTextFormatter plain;
    const QString content = threeEntryFile(plain);
    EXPECT_EQ(content, "Date: 2026-03-14 | Start: 09:30:05 | End: --:--:-- | Duration: --:--:--\n"
                       "\n"
                       "[09:30:06] Alice: Hello everyone.\n"
                       "[09:30:12] Alice: Let us start.\n"
                       "\n"
                       "[09:31:00] Bob: Sounds good.\n");
    const QString finalized = plain.formatFinalization(content, at(10, 32, 7), 59.99);
    EXPECT_EQ(finalized.section('\n', 0, 0),
              "Date: 2026-03-14 | Start: 09:30:05 | End: 10:32:07 | Duration: 00:00:59");
    EXPECT_EQ(plain.formatFinalization(finalized, at(11, 0, 0), 99999), finalized);
    EXPECT_EQ(plain.fileExtension(), "txt");
}

TEST(TranscriptFormatterTest, TimesAreWrittenInTheLocalTimeZone) {
    // Tests run with TZ=UTC.
    const QDateTime paris = QDateTime(QDate(2026, 3, 14), QTime(10, 30, 5), QTimeZone(3600));
    EXPECT_EQ(PlainTextFormatter().formatEntry({paris, "A", "x"}, false), "[09:30:05] A: x\n");
    const QDateTime lateInTokyo = QDateTime(QDate(2026, 3, 15), QTime(1, 0, 0), QTimeZone(9 * 3600));
    EXPECT_TRUE(MarkdownFormatter().formatHeader(lateInTokyo, lateInTokyo)
                    .contains("**Date:** 2026-03-14\n**Start:** 16:00:00\n"));
}

TEST(TranscriptFormatterTest, CaptionsQuotingPlaceholdersKeepThemAtFinalization) {
    const PlainTextFormatter plain;
    const QString content = plain.formatHeader(at(9, 0, 0), at(9, 0, 0)) +
                            plain.formatEntry({at(9, 0, 1), "A", "Type End: --:--:-- here"}, true);
    EXPECT_TRUE(plain.formatFinalization(content, at(9, 5, 0), 300)
                    .endsWith("[09:00:01] A: Type End: --:--:-- here\n"));
    const MarkdownFormatter markdown;
    const QString md = markdown.formatHeader(at(9, 0, 0), at(9, 0, 0)) +
                       markdown.formatEntry({at(9, 0, 1), "A", "**Duration:** --:--:--"}, true);
    EXPECT_TRUE(markdown.formatFinalization(md, at(9, 5, 0), 300)
                    .endsWith("**Duration:** --:--:--\n\n"));
    // A header edited by hand without its placeholders is left as it is.
    EXPECT_EQ(plain.formatFinalization("Notes\n", at(9, 5, 0), 300), "Notes\n");
}

TEST(TranscriptFormatterTest, LineBreaksAndControlCharactersAreWrittenAsSpaces) {
    const CaptionEntry entry{at(9, 0, 1), "Ann\nLee", "one\r\ntwo\tthree\u2028four\u2029five\u0085six\u0007"};
    EXPECT_EQ(PlainTextFormatter().formatEntry(entry, false),
              "[09:00:01] Ann Lee: one  two three four five six \n");
    EXPECT_EQ(MarkdownFormatter().formatEntry(entry, true),
              "**[09:00:01] Ann Lee:**\n\none  two three four five six \n\n");
    // Other text, including non-BMP characters, is written as received.
    const CaptionEntry emoji{at(9, 0, 1), "Zoë", "Déjà vu 👍🏽 会议"};
    EXPECT_EQ(PlainTextFormatter().formatEntry(emoji, false), "[09:00:01] Zoë: Déjà vu 👍🏽 会议\n");
}

TEST(TranscriptFormatterTest, DurationFormatting) {
    EXPECT_EQ(TranscriptFormatter::formatDuration(3725.9), "01:02:05");
    EXPECT_EQ(TranscriptFormatter::formatDuration(59.99), "00:00:59");
    EXPECT_EQ(TranscriptFormatter::formatDuration(0), "00:00:00");
    EXPECT_EQ(TranscriptFormatter::formatDuration(360000), "100:00:00");
    EXPECT_EQ(TranscriptFormatter::formatDuration(-4.5), "00:00:00");
    EXPECT_EQ(TranscriptFormatter::formatDuration(std::nan("")), "00:00:00");
    EXPECT_EQ(TranscriptFormatter::formatDuration(-std::numeric_limits<double>::infinity()),
              "00:00:00");
    EXPECT_EQ(TranscriptFormatter::formatDuration(1e300), "2562047788015215:30:07");
}

TEST(TranscriptFormatterTest, FormatsByRawValueLabelAndExtension) {
    EXPECT_EQ(TranscriptFormats::all(),
              QList<TranscriptFormat>({TranscriptFormat::markdown, TranscriptFormat::plainText}));
    for (TranscriptFormat format : TranscriptFormats::all()) {
        EXPECT_EQ(TranscriptFormats::fromRawValue(TranscriptFormats::rawValue(format)), format);
        EXPECT_EQ(TranscriptFormats::formatter(format)->fileExtension(),
                  TranscriptFormats::fileExtension(format));
    }
    EXPECT_EQ(TranscriptFormats::rawValue(TranscriptFormat::plainText), "plainText");
    EXPECT_EQ(TranscriptFormats::label(TranscriptFormat::markdown), "Markdown (.md)");
    EXPECT_EQ(TranscriptFormats::label(TranscriptFormat::plainText), "Plain Text (.txt)");
    EXPECT_EQ(TranscriptFormats::fileExtension(TranscriptFormat::plainText), "txt");
    EXPECT_FALSE(TranscriptFormats::fromRawValue("Markdown"));
}

} // namespace
