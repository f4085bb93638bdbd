#include "sources/SpeakerFirstSeenLog.h"

#include <gtest/gtest.h>

using namespace velmora;

namespace {

// The preview counts what a reader sees as characters, not UTF-16 units.
TEST(SpeakerFirstSeenLogTest, PreviewCutsAfterFiftyCharactersWithoutSplittingOne) {
    const QString thumbsUp = QStringLiteral("\U0001F44D\U0001F3FD"); // emoji + skin tone: 4 units
    const QString accented = QStringLiteral("e\u0301");                 // é as e + combining accent
    const QString fortyNine(49, QLatin1Char('a'));

    EXPECT_EQ(SpeakerFirstSeenLog::preview(fortyNine + thumbsUp + QStringLiteral("more")),
              fortyNine + thumbsUp + QStringLiteral("..."));
    EXPECT_EQ(SpeakerFirstSeenLog::preview(fortyNine + accented + QStringLiteral("x")),
              fortyNine + accented + QStringLiteral("..."));

    // Fifty characters in 60 units are shown whole; the 51st is cut.
    QString fiftyEmoji = QString(45, QLatin1Char('a'));
    for (int i = 0; i < 5; ++i)
        fiftyEmoji += QStringLiteral("\U0001F600");
    ASSERT_EQ(fiftyEmoji.size(), 55);
    EXPECT_EQ(SpeakerFirstSeenLog::preview(fiftyEmoji), fiftyEmoji);
    EXPECT_EQ(SpeakerFirstSeenLog::preview(fiftyEmoji + QStringLiteral("z")),
              fiftyEmoji + QStringLiteral("..."));
}

} // namespace
