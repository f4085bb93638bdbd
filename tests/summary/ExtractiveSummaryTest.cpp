#include "summary/ExtractiveSummaryService.h"
#include "summary/ExtractiveSummarizer.h"
#include "summary/SummaryFile.h"
#include "summary/SummaryMarkdownParser.h"

#include "MeetingFiles.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include "fakes/QtPrinters.h"

#include <gtest/gtest.h>

using namespace velmora;

namespace {

const QString alice = QStringLiteral("Alice Johnson");
const QString bob = QStringLiteral("Bob Smith");
const QString carol = QStringLiteral("Carol Nguyen");

QList<std::pair<QString, QString>> planningMeeting() {
    return {
        {alice, "Okay, let's get started. Today we plan the checkout redesign and the payment API migration."},
        {bob, "The payment API migration is mostly done. The new payment API handles refunds now."},
        {carol, "For the checkout redesign, I'll finish the mobile mockups by Thursday."},
        {alice, "Great. Bob, can you write the migration guide for the payment API?"},
        {bob, "Sure, I can do that."},
        {alice, "Can you hear me okay?"},
        {carol, "Yes."},
        {alice, "Should we drop support for the legacy checkout flow in March?"},
        {carol, "Agreed."},
        {bob, "We decided last week to keep the feature flags for the checkout redesign until launch."},
        {carol, "Um, yeah, you know, I think, like, it's fine, I mean, whatever."},
        {alice, "I'll be honest, the checkout redesign timeline is tight."},
        {bob, "Let's go with Stripe for the refunds."},
        {alice, "We haven't decided on the payment API pricing yet."},
        {carol, "Please review the accessibility audit, Alice."},
    };
}

struct Summary {
    MeetingSummary parsed;
    QString markdown;
};

class ExtractiveSummaryTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    ExtractiveSummaryService service;

    Summary summarize(const QString& transcript, std::optional<QString> notes = std::nullopt) {
        auto result = awaitTask(service.generateSummary(transcript, std::move(notes)));
        EXPECT_TRUE(result.value && *result.value) << qPrintable(result.error.value_or(""));
        if (!result.value || !*result.value)
            return {};
        EXPECT_EQ((*result.value)->engine, SummaryEngine::extractive);
        EXPECT_EQ((*result.value)->path, SummaryFile::pathFor(transcript));
        const QString markdown = readText((*result.value)->path);
        return {SummaryMarkdownParser::parse(markdown), markdown};
    }
};

} // namespace

TEST_F(ExtractiveSummaryTest, CommitmentsAndDecisionsWithTheirSpeakersChatterIgnored) {
    const Summary summary = summarize(writeMeeting(dir.path(), planningMeeting()));
    const MeetingSummary& s = summary.parsed;
    EXPECT_EQ(s.attendees, (QStringList{alice, bob, carol}));
    EXPECT_EQ(s.actionItems,
              (QStringList{"Carol Nguyen: For the checkout redesign, I'll finish the mobile mockups by Thursday.",
                           "Bob Smith: Bob, can you write the migration guide for the payment API.",
                           "Alice Johnson: Please review the accessibility audit, Alice."}))
        << qPrintable(summary.markdown);
    EXPECT_EQ(s.decisions,
              (QStringList{"Drop support for the legacy checkout flow in March (agreed by Carol Nguyen).",
                           "We decided last week to keep the feature flags for the checkout redesign until launch.",
                           "Let's go with Stripe for the refunds."}))
        << qPrintable(summary.markdown);
    EXPECT_GE(s.topics.size(), 3);
    EXPECT_LE(s.topics.size(), 8);
    EXPECT_TRUE(s.topics.contains("Payment API")) << qPrintable(s.topics.join(" | "));
    EXPECT_TRUE(s.topics.contains("Checkout redesign")) << qPrintable(s.topics.join(" | "));
    for (const QString& topic : s.topics) {
        EXPECT_FALSE(topic.contains("Alice") || topic.contains("Bob") || topic.contains("Carol"));
        EXPECT_FALSE(topic.compare("yeah", Qt::CaseInsensitive) == 0);
    }
}

TEST_F(ExtractiveSummaryTest, NotesBecomeActionItemsTopicsAndDecisions) {
    const QString notes = QStringLiteral("# My notes\n- [ ] Bob: send the contract to legal\n"
                                         "- [x] book the room\nTODO: Carol to check the GDPR clause\n"
                                         "- Pricing page\nDecision: launch on May 5\nrandom thought\n"
                                         "- Payment API\n");
    const Summary summary = summarize(writeMeeting(dir.path(), planningMeeting()), notes);
    const MeetingSummary& s = summary.parsed;
    EXPECT_EQ(s.topics.mid(0, 2), (QStringList{"Pricing page", "Payment API"}));
    EXPECT_EQ(s.topics.count("Payment API"), 1); // said in the meeting too, listed once
    EXPECT_LE(s.topics.size(), 8);
    EXPECT_TRUE(s.actionItems.contains("Bob Smith: send the contract to legal"));
    EXPECT_TRUE(s.actionItems.contains("book the room"));
    EXPECT_TRUE(s.actionItems.contains("Carol Nguyen to check the GDPR clause"));
    EXPECT_EQ(s.actionItems.size(), 6);
    EXPECT_EQ(s.decisions.last(), "launch on May 5");
    EXPECT_FALSE(summary.markdown.contains("random thought"));
}

TEST_F(ExtractiveSummaryTest, NonLatinMeetingsPassThroughIntact) {
    const QString anna = QStringLiteral("Анна Иванова");
    const QString oleg = QStringLiteral("Олег Петров");
    const QString wang = QStringLiteral("王伟");
    const QList<std::pair<QString, QString>> lines{
        {anna, "Обсуждаем бюджет проекта и миграцию базы данных."},
        {oleg, "Бюджет проекта утвердили, миграция базы данных начнётся в понедельник."},
        {wang, "我们今天讨论数据库迁移的进度。"},
        {anna, "Бюджет проекта нужно отправить финансовому отделу."},
        {wang, "数据库迁移下周完成。I'll send the migration report by Friday."},
        {oleg, "Миграция базы данных — главный риск 🚧."},
    };
    const QString transcript = writeMeeting(dir.path(), lines);
    const Summary summary = summarize(transcript);
    EXPECT_EQ(summary.parsed.attendees, (QStringList{anna, oleg, wang}));
    EXPECT_EQ(summary.parsed.actionItems, QStringList{"王伟 will send the migration report by Friday."});
    ASSERT_FALSE(summary.parsed.topics.isEmpty());
    const QString spoken = readText(transcript).toLower();
    for (const QString& topic : summary.parsed.topics)
        EXPECT_TRUE(spoken.contains(topic.toLower())) << qPrintable(topic);
    EXPECT_TRUE(summary.parsed.topics.contains(QStringLiteral("Бюджет проекта")) ||
                summary.parsed.topics.contains(QStringLiteral("Миграция базы данных")))
        << qPrintable(summary.parsed.topics.join(" | "));
}

TEST_F(ExtractiveSummaryTest, PlainTextTranscriptsAndFilesWithoutSpeakers) {
    const QString plain = dir.filePath("2026-03-14_09-30-05_Meet.txt");
    QFile file(plain);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("Date: 2026-03-14 | Start: 09:30:05 | End: 09:31:00 | Duration: 00:00:55\n\n"
               "[09:30:05] Dana Cruz: I will migrate the staging cluster to Kubernetes by Friday.\n"
               "[09:30:12] Eli Stone: Kubernetes upgrade first, then the staging cluster.\n"
               "[09:30:20] Dana Cruz: We agreed to freeze the staging cluster on Monday.\n");
    file.close();
    const Summary summary = summarize(plain);
    EXPECT_EQ(SummaryFile::pathFor(plain), dir.filePath("2026-03-14_09-30-05_Meet-summary.md"));
    EXPECT_EQ(summary.parsed.actionItems,
              QStringList{"Dana Cruz will migrate the staging cluster to Kubernetes by Friday."});
    EXPECT_EQ(summary.parsed.decisions, QStringList{"We agreed to freeze the staging cluster on Monday."});
    EXPECT_TRUE(summary.parsed.topics.contains("Staging cluster")) << qPrintable(summary.parsed.topics.join(" | "));
    EXPECT_TRUE(summary.parsed.attendees.isEmpty()); // only Markdown headers name attendees
}

TEST_F(ExtractiveSummaryTest, SummaryFileIsPrivateAndAFailedWriteKeepsTheEarlierOne) {
    const QString transcript = writeMeeting(dir.path(), planningMeeting());
    summarize(transcript);
    const QString path = SummaryFile::pathFor(transcript);
    EXPECT_EQ((QFile::permissions(path) & 0x0077).toInt(), 0); // nothing for group or others
    EXPECT_TRUE(QFile::permissions(path).testFlags(QFileDevice::ReadOwner | QFileDevice::WriteOwner));

    // A summary that cannot be written is an error, and what stands in its place is left alone.
    const QString other = writeMeeting(dir.path(), {{alice, "A second meeting about the budget review."}});
    ASSERT_TRUE(QDir(dir.path()).mkdir(QFileInfo(SummaryFile::pathFor(other)).fileName()));
    auto failed = awaitTask(service.generateSummary(other, std::nullopt));
    ASSERT_TRUE(failed.error);
    EXPECT_TRUE(failed.error->contains("Cannot write")) << qPrintable(*failed.error);
    EXPECT_TRUE(QFileInfo(SummaryFile::pathFor(other)).isDir());
}
