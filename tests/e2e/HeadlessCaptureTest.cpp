#include "HeadlessTest.h"

using namespace velmora;
using namespace velmora::e2e;

namespace {

using HeadlessCaptureTest = HeadlessTest;

TEST_F(HeadlessCaptureTest, CapturesPausesResumesSavesAndFinalisesOnTerminate) {
    QElapsedTimer elapsed;
    elapsed.start();
    expectLine(QRegularExpression(QStringLiteral("^monitoring$")), 0, stepTimeoutMs);

    // A meeting: blocks appear and grow, an earlier block is corrected after the next speaker
    // began, blocks scroll away at the top.
    const qsizetype beforeCapture = velmora->lines().size();
    browser.run(QStringLiteral("meet.show(); meet.say('Ana Lima', 'Good morning')"));
    expectLine(capturingMeet, beforeCapture, stepTimeoutMs);
    say(QStringLiteral("meet.grow(0, ' everyone, shall we')"));
    say(QStringLiteral("meet.revise(0, 'Good morning, everyone. Shall we start?'); meet.say('Bo Chen', 'Yes')"));
    say(QStringLiteral("meet.grow(1, ' the budget first')"));
    say(QStringLiteral("meet.say('Ana Lima', 'The budget is on track')"));
    say(QStringLiteral("meet.scroll(1); meet.grow(1, ' for this quarter')"));
    say(QStringLiteral("meet.revise(0, 'Yes, the budget first.'); meet.say('Cy Park', 'I have a question about hiring')"));
    say(QStringLiteral("meet.scroll(2); meet.grow(0, ' for the new team')"));

    // The captions out of sight for about ten seconds (another tab in front): the capture ends;
    // when the same blocks come back the same file goes on, without writing them again.
    const qsizetype beforePause = velmora->lines().size();
    QElapsedTimer hidden;
    hidden.start();
    browser.run(QStringLiteral("meet.hide()"));
    expectLine(QRegularExpression(QStringLiteral("^stopped$")), beforePause, stepTimeoutMs);
    expectLine(QRegularExpression(QStringLiteral("^monitoring$")), beforePause, stepTimeoutMs);
    BrowserSession::waitUntil([&] { return false; }, int(std::max<qint64>(0, 10000 - hidden.elapsed())));
    const qsizetype beforeResume = velmora->lines().size();
    browser.run(QStringLiteral("meet.restore(); meet.say('Bo Chen', 'Back to hiring')"));
    expectLine(capturingMeet, beforeResume, stepTimeoutMs);
    EXPECT_EQ(velmora->logCount(QStringLiteral("Resuming browserMeet session with existing writer")), 1);
    say(QStringLiteral("meet.grow(1, ': we need two engineers')"));
    say(QStringLiteral("meet.say('Dee Ray', 'Agreed')"));

    // Captions off for longer than the cooldown: the transcript is saved and announced.
    const qsizetype beforeSave = velmora->lines().size();
    browser.run(QStringLiteral("meet.hide()"));
    const auto firstSaved = savedMeet.match(expectLine(savedMeet, beforeSave, 60000));
    ASSERT_TRUE(firstSaved.hasMatch());
    const QString first = firstSaved.captured(1);
    // The record is finalised first; the announcement follows without anyone waiting for it.
    BrowserSession::waitUntil([&] { return !notifications.notifications.isEmpty(); }, 10000);
    ASSERT_EQ(notifications.notifications.size(), 1);
    EXPECT_EQ(notifications.notifications[0].summary, "Transcript Saved");
    EXPECT_EQ(notifications.notifications[0].body, first);
    EXPECT_EQ(utterances(readFile(first)),
              (QStringList{"Ana Lima: Good morning, everyone. Shall we start?", "Bo Chen: Yes, the budget first.",
                           "Ana Lima: The budget is on track for this quarter",
                           "Cy Park: I have a question about hiring for the new team",
                           "Bo Chen: Back to hiring: we need two engineers", "Dee Ray: Agreed"}));
    expectFinalized(first);
    EXPECT_GE(firstSaved.captured(2).toDouble(), 20.0) << "the duration counts from the first start";

    // Captions again: a new meeting in a new file, cut short by SIGTERM.
    const qsizetype beforeSecond = velmora->lines().size();
    browser.run(QStringLiteral("meet.show(); meet.say('Ana Lima', 'One more thing')"));
    expectLine(capturingMeet, beforeSecond, stepTimeoutMs);
    say(QStringLiteral("meet.grow(0, ' before we close')"));
    say(QStringLiteral("meet.say('Cy Park', 'Go ahead')"));
    const qsizetype beforeTerminate = velmora->lines().size();
    EXPECT_EQ(velmora->terminate(20000), std::optional(0));
    const auto secondSaved = savedMeet.match(expectLine(savedMeet, beforeTerminate, 1000));
    ASSERT_TRUE(secondSaved.hasMatch());
    const QString second = secondSaved.captured(1);
    EXPECT_NE(second, first);
    EXPECT_EQ(utterances(readFile(second)),
              (QStringList{"Ana Lima: One more thing before we close", "Cy Park: Go ahead"}));
    expectFinalized(second);
    EXPECT_EQ(notifications.notifications.size(), 1) << "no announcement when the application ends";

    EXPECT_EQ(QDir(output.path()).entryList({QStringLiteral("*.md")}, QDir::Files).size(), 2);
    EXPECT_EQ(records().value_or(QList<MeetingRecord>{}).size(), 2);
    std::cerr << "[ timing ] headless scenario took " << elapsed.elapsed() / 1000.0 << " s\n";
}

} // namespace
