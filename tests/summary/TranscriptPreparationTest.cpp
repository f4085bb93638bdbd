#include "summary/TranscriptPreparation.h"

#include "fakes/QtPrinters.h"

#include <gtest/gtest.h>

using namespace velmora;
using namespace velmora::TranscriptPreparation;

namespace {

const QString preamble = QStringLiteral("# Meeting Transcript\n\n**Date:** 2026-03-14\n\n---\n");

QString block(const QString& time, const QString& speaker, const QString& text) {
    return QStringLiteral("\n**[%1] %2:**\n\n%3\n").arg(time, speaker, text);
}

} // namespace

TEST(TranscriptPreparationTest, TextWithoutSpeakerHeadersPassesThrough) {
    const QString plain = QStringLiteral("Date: 2026-03-14\n\n[09:30:05] Alice: Hello\n");
    EXPECT_EQ(deduplicateTranscript(plain), plain);
    EXPECT_TRUE(extractSpeakers(plain).isEmpty());
    EXPECT_EQ(deduplicateTranscript(QString()), QString());
}

TEST(TranscriptPreparationTest, SameSpeakerPrefixKeepsTheLongerUnderItsHeading) {
    const QString text = preamble + block("09:30:05", "Alice", "Hello every") +
                         block("09:30:07", "Alice", "Hello everyone, welcome!");
    EXPECT_EQ(deduplicateTranscript(text),
              preamble + "\n**[09:30:07] Alice:**\n\nHello everyone, welcome!\n");

    // Equal comparison forms and equal lengths: the first stays.
    const QString tie = preamble + block("09:30:05", "Alice", "Thanks.") + block("09:30:06", "Alice", "thanks!");
    EXPECT_EQ(deduplicateTranscript(tie), preamble + "\n**[09:30:05] Alice:**\n\nThanks.\n");

    // The longer earlier block stays when the later one is its prefix.
    const QString shorter = preamble + block("09:30:05", "Bob", "We ship on Friday, as planned.") +
                            block("09:30:09", "Bob", "We ship on Friday");
    EXPECT_EQ(deduplicateTranscript(shorter),
              preamble + "\n**[09:30:05] Bob:**\n\nWe ship on Friday, as planned.\n");

    // Different speakers never merge; an empty block gives way to the next.
    const QString others = preamble + block("09:30:05", "Alice", "Hello") + block("09:30:06", "Bob", "Hello there") +
                           "\n**[09:30:07] Bob:**\n" + block("09:30:08", "Bob", "More");
    const QString cleaned = deduplicateTranscript(others);
    EXPECT_TRUE(cleaned.contains("**[09:30:05] Alice:**"));
    EXPECT_TRUE(cleaned.contains("Hello there"));
    EXPECT_TRUE(cleaned.contains("More"));
}

TEST(TranscriptPreparationTest, RepeatPassDropsLongOpeningsSaidAgainButNeverShortOnes) {
    const QString sentence = QStringLiteral("The migration to the new billing service starts next sprint.");
    const QString text = preamble + block("09:30:05", "Alice", sentence) + block("09:30:10", "Bob", "Yes.") +
                         block("09:30:12", "Alice", sentence) + block("09:30:15", "Bob", "Yes.");
    const QString cleaned = deduplicateTranscript(text);
    EXPECT_EQ(cleaned.count(sentence), 1);
    EXPECT_TRUE(cleaned.contains("**[09:30:05] Alice:**"));
    EXPECT_FALSE(cleaned.contains("**[09:30:12] Alice:**"));
    EXPECT_EQ(cleaned.count("Yes."), 2);

    // The floor is 21 characters of the comparison form: 20 stay repeated, 21 do not.
    const QString twenty = QStringLiteral("abcde fghij klmno pq"); // 20
    const QString twentyOne = QStringLiteral("abcde fghij klmno pqr"); // 21
    const QString edge = preamble + block("10:00:00", "Cy", twenty) + block("10:00:01", "Di", "x") +
                         block("10:00:02", "Cy", twenty) + block("10:00:03", "Cy", "z") +
                         block("10:00:04", "Ed", twentyOne) + block("10:00:05", "Di", "x") +
                         block("10:00:06", "Ed", twentyOne + "!");
    const QString edgeCleaned = deduplicateTranscript(edge);
    EXPECT_EQ(edgeCleaned.count(twenty + "\n"), 2);
    EXPECT_EQ(edgeCleaned.count(twentyOne), 1);
}

TEST(TranscriptPreparationTest, CountsAreUserPerceivedCharacters) {
    // Twenty letters written with combining accents: 40 code units, 20 characters, below the
    // floor of the repeat pass; one more letter reaches it.
    const QString twenty = QString(QStringLiteral("e\u0301")).repeated(20);
    const QString twentyOne = QString(QStringLiteral("o\u0302")).repeated(21);
    const QString text = preamble + block("09:00:00", "Li", twenty) + block("09:00:01", "Mo", "x") +
                         block("09:00:02", "Li", twenty) + block("09:00:03", "Mo", twentyOne) +
                         block("09:00:04", "Li", "x") + block("09:00:05", "Mo", twentyOne);
    const QString cleaned = deduplicateTranscript(text);
    EXPECT_EQ(cleaned.count(twenty + "\n"), 2);
    EXPECT_EQ(cleaned.count(twentyOne), 1);

    const QString line = QString(QStringLiteral("e\u0301")).repeated(10);
    EXPECT_EQ(graphemeCount(QStringLiteral("e\u0301")), 1);
    EXPECT_EQ(splitIntoChunks(line + "\n" + line, 21), QStringList{line + "\n" + line});
}

TEST(TranscriptPreparationTest, SpeakersInOrderOnceWithoutUnknownUser) {
    const QString text = preamble + block("09:30:05", "Bob", "Hi") + block("09:30:06", "Unknown user", "Hey") +
                         block("09:30:07", "Анна Иванова", "Привет") + block("09:30:08", "Bob", "Again") +
                         block("09:30:09", "王伟", "你好");
    EXPECT_EQ(extractSpeakers(text), (QStringList{"Bob", "Анна Иванова", "王伟"}));
    // Headers inside a line count too, and the name ends at the first ":**".
    EXPECT_EQ(extractSpeakers("x **[01:02:03] Eve: the boss:** y **[01:02:04] Max:** z:**"),
              (QStringList{"Eve: the boss", "Max"}));
}

TEST(TranscriptPreparationTest, ChunksHoldEveryLineInOrderWithinTheLimit) {
    QStringList lines;
    for (int i = 0; i < 200; ++i)
        lines.append(QStringLiteral("%1").arg(i, 3, 10, QLatin1Char('0')) + QString(97, u'x'));
    const QString text = lines.join(u'\n');
    const QStringList chunks = splitIntoChunks(text, 8000);
    ASSERT_EQ(chunks.size(), 3);
    for (const QString& chunk : chunks)
        EXPECT_LE(chunk.size(), 8000);
    EXPECT_EQ(chunks.join(u'\n'), text);

    // A line longer than the limit is a chunk of its own; an empty line starting a chunk goes.
    const QString longLine(30, u'L');
    EXPECT_EQ(splitIntoChunks("ab\n" + longLine + "\ncd", 10), (QStringList{"ab", longLine, "cd"}));
    EXPECT_EQ(splitIntoChunks("abcdefghij\n\nkl", 10), (QStringList{"abcdefghij", "kl"}));
    EXPECT_EQ(splitIntoChunks("abcd\nefgh", 9), QStringList{"abcd\nefgh"});
    EXPECT_EQ(splitIntoChunks("abcd\nefghi", 9), (QStringList{"abcd", "efghi"}));
}

TEST(TranscriptPreparationTest, BisectLosesOnlyTheSeparator) {
    EXPECT_EQ(bisect("one line\nsecond line\nthird\nfourth one"),
              (QStringList{"one line\nsecond line", "third\nfourth one"}));
    // One long line is cut at a space near the middle; a text without spaces in the middle.
    EXPECT_EQ(bisect("alpha beta gamma delta"), (QStringList{"alpha beta", "gamma delta"}));
    EXPECT_EQ(bisect("会议纪要今天讨论"), (QStringList{"会议纪要", "今天讨论"}));
    EXPECT_EQ(bisect("x"), QStringList{"x"});
}
