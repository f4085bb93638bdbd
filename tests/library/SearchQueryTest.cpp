#include "library/search/SearchQuery.h"
#include "library/search/SearchSnippet.h"
#include "library/search/SearchText.h"

#include <gtest/gtest.h>

using namespace velmora;

namespace {

using Kind = SearchTerm::Kind;

QList<SearchTerm> termsOf(const QString& text) {
    const SearchQuery query = SearchQuery::parse(text);
    EXPECT_TRUE(query.isValid()) << query.error.toStdString();
    return query.terms;
}

} // namespace

TEST(SearchQueryTest, ReadsWordsPhrasesPrefixesAndFilters) {
    const SearchQuery query = SearchQuery::parse(
        R"(budget "hiring plan" forecas* Speaker:"Ann Lee" after:2026-03-01 BEFORE:2026-04-01)");
    ASSERT_TRUE(query.isValid()) << query.error.toStdString();
    EXPECT_EQ(query.terms, (QList<SearchTerm>{{Kind::word, "budget"}, {Kind::phrase, "hiring plan"},
                                             {Kind::prefix, "forecas"}}));
    EXPECT_EQ(query.speaker, QString("Ann Lee"));
    EXPECT_EQ(query.after, QDate(2026, 3, 1));
    EXPECT_EQ(query.before, QDate(2026, 4, 1));
    EXPECT_EQ(query.matchExpression(),
              R"(body : ("budget" AND "hiring plan" AND "forecas" *) AND speaker : ("Ann Lee"))");
    EXPECT_EQ(SearchQuery::parse("speaker:alice").matchExpression(), R"(speaker : ("alice"))");
}

TEST(SearchQueryTest, BadSyntaxIsReadAsPlainWordsAndOnlyUnsearchableQueriesGetAMessage) {
    // An unclosed quote: the rest are plain words.
    EXPECT_EQ(termsOf(R"("hiring plan)"), (QList<SearchTerm>{{Kind::word, "hiring"}, {Kind::word, "plan"}}));
    // Lone operators and punctuation are dropped; quotes inside a value are doubled.
    EXPECT_EQ(termsOf(R"(* - ( ) ^ : budget)"), (QList<SearchTerm>{{Kind::word, "budget"}}));
    EXPECT_EQ(SearchQuery::parse(R"(say "a""b" x)").matchExpression(),
              R"(body : ("say" AND "a" AND "b" AND "x"))");
    EXPECT_EQ(SearchQuery::parse(QString("it's \"quo\"ted")).matchExpression(),
              R"(body : ("it's" AND "quo" AND "ted"))");
    // NUL and other control characters separate words.
    EXPECT_EQ(termsOf(QString("bud") + QChar(0) + "get\x01x"),
              (QList<SearchTerm>{{Kind::word, "bud"}, {Kind::word, "get"}, {Kind::word, "x"}}));

    for (const char* unsearchable : {"", "   ", "\"\"", "*", "after:2026-03-01", "after:2026-13-01 x",
                                     "before:yesterday x", "speaker: x", "speaker:\"\" x"}) {
        const SearchQuery query = SearchQuery::parse(QString::fromUtf8(unsearchable));
        EXPECT_FALSE(query.isValid()) << unsearchable;
        EXPECT_FALSE(query.error.isEmpty()) << unsearchable;
    }
    QStringList many;
    for (int i = 0; i <= SearchQuery::maxTerms; ++i)
        many.append(QStringLiteral("w%1").arg(i));
    EXPECT_FALSE(SearchQuery::parse(many.join(' ')).isValid());
    many.removeLast();
    EXPECT_TRUE(SearchQuery::parse(many.join(' ')).isValid());
}

TEST(SearchQueryTest, UnspacedScriptsAreWrittenAsCharacterPairsOnBothSides) {
    EXPECT_EQ(SearchText::indexedForm("Q3会议记录 ok"), QString("Q3 会议 议记 记录  ok"));
    EXPECT_EQ(SearchText::indexedForm("会 x"), QString(" 会  x"));
    EXPECT_EQ(SearchText::indexedForm("plain text"), QString("plain text"));
    EXPECT_EQ(SearchQuery::parse("议记").matchExpression(), QString(R"(body : (" 议记 "))"));
    EXPECT_EQ(SearchQuery::parse("会议记").matchExpression(), QString(R"(body : (" 会议 议记 "))"));
    EXPECT_EQ(SearchQuery::parse("议").matchExpression(), QString(R"(body : (" 议 " *))"));
}

TEST(SearchQueryTest, SnippetsMarkWholeWordsPrefixesPhrasesAndSubstringsFolded) {
    const auto marked = [](const QString& text, const QString& query) {
        return SearchSnippet::make(text, SearchQuery::parse(query).terms).marked("[", "]");
    };
    EXPECT_EQ(marked("Ask Jürgen MÜLLER about the budgets and budget.", "muller budget"),
                     "Ask Jürgen [MÜLLER] about the budgets and [budget].");
    EXPECT_EQ(marked("Budgeting, budgets; unbudgeted", "budg*"), "[Budgeting], [budgets]; unbudgeted");
    EXPECT_EQ(marked("the hiring, plan and the plan", "\"hiring plan\""), "the [hiring, plan] and the plan");
    EXPECT_EQ(marked("我们明天开会讨论预算。", "天开会"), "我们明[天开会]讨论预算。");
    EXPECT_EQ(marked("café Café CAFE", "cafe"), "[café] [Café] [CAFE]");

    QString longText;
    for (int i = 0; i < 60; ++i)
        longText += QStringLiteral("word%1 ").arg(i);
    longText += "needle";
    for (int i = 0; i < 60; ++i)
        longText += QStringLiteral(" tail%1").arg(i);
    const SearchSnippet snippet = SearchSnippet::make(longText, SearchQuery::parse("needle").terms);
    EXPECT_LE(snippet.text.size(), SearchSnippet::defaultLength + 2);
    EXPECT_TRUE(snippet.text.startsWith(QChar(0x2026)));
    EXPECT_TRUE(snippet.text.endsWith(QChar(0x2026)));
    ASSERT_EQ(snippet.matches.size(), 1);
    EXPECT_EQ(snippet.text.mid(snippet.matches[0].start, snippet.matches[0].length), QString("needle"));
    EXPECT_FALSE(snippet.text.contains("word0 "));
}
