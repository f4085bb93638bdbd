#include "capture/AccumulatedText.h"
#include "capture/Graphemes.h"
#include "capture/SubstringIndex.h"
#include "capture/TranscriptAssembler.h"

#include <QRandomGenerator>
#include <QStringList>
#include <gtest/gtest.h>

using namespace velmora;
using TranscriptAssembler::mergeOverlapping;
using TranscriptAssembler::normalizeForComparison;
using TranscriptAssembler::sameLine;
using TranscriptAssembler::splice;

namespace {

const QString decomposedCafe = QStringLiteral("cafe\u0301");
const QString thumbsUpMedium = QStringLiteral("\U0001F44D\U0001F3FD");

TEST(TranscriptAssemblerTest, NormalizationKeepsLettersNumbersAndPlainSpaces) {
    EXPECT_EQ(normalizeForComparison("Hello, World! It's 42\tnow..."), "hello world its 42now");
    EXPECT_EQ(normalizeForComparison("Ça VA? Ωμέγα ٣ 会议。"), "ça va ωμέγα ٣ 会议");
    EXPECT_EQ(normalizeForComparison("👍🏽 ok"), " ok");
    // A letter with a combining accent is one character and equals its precomposed form.
    EXPECT_EQ(normalizeForComparison("Un " + decomposedCafe.toUpper()), "un café");
    EXPECT_EQ(normalizeForComparison("..."), "");
}

TEST(TranscriptAssemblerTest, MergeRules) {
    // Equal texts, and the same words with newer punctuation or case.
    EXPECT_EQ(mergeOverlapping("Hello world", "Hello world"), "Hello world");
    EXPECT_EQ(mergeOverlapping("hello world", "Hello, world."), "Hello, world.");
    // Revisions that add nothing, and ones that extend.
    EXPECT_EQ(mergeOverlapping("Hello world, how are you", "how are"), "Hello world, how are you");
    EXPECT_EQ(mergeOverlapping("Hello world", "Hello world, how are"), "Hello world, how are");
    // Overlap of at least a third of the shorter text, 3 to 12 characters, case as received.
    EXPECT_EQ(mergeOverlapping("we will ship the release", "The Release on Friday"),
              "we will ship the release on Friday");
    EXPECT_EQ(mergeOverlapping("see you at ten", "en minutes past"), std::nullopt);
    EXPECT_EQ(mergeOverlapping("abc-xyz", "xyz-def"), "abc-xyz-def");
    // 30 characters each: at least 10 must overlap.
    EXPECT_EQ(mergeOverlapping("the quarterly numbers look ok.", "look ok. we should discuss it"),
              std::nullopt);
    EXPECT_EQ(mergeOverlapping("the quarterly numbers look ok.", "numbers look ok. we discuss it"),
              "the quarterly numbers look ok. we discuss it");
    // Punctuation takes part in the overlap; unrelated lines do not merge.
    EXPECT_EQ(mergeOverlapping("Good morning everyone", "Let us start"), std::nullopt);
    // A line of punctuation only adds nothing.
    EXPECT_EQ(mergeOverlapping("Right", "..."), "Right");
}

TEST(TranscriptAssemblerTest, MergeCountsUserPerceivedCharacters) {
    // Composed and decomposed accents are the same words.
    EXPECT_EQ(mergeOverlapping("On se voit au caf\u00e9", "on se voit au " + decomposedCafe + "."),
              "on se voit au " + decomposedCafe + ".");
    // An overlap never ends inside a character: "cafe" is not the start of "café".
    EXPECT_EQ(mergeOverlapping("rendez-vous au cafe", decomposedCafe + " demain matin"),
              std::nullopt);
    EXPECT_EQ(mergeOverlapping("see you soon \U0001F44D", "soon " + thumbsUpMedium + " bye now"),
              std::nullopt);
    // One emoji with a skin tone is one character: too short an overlap, though four code units.
    EXPECT_EQ(mergeOverlapping("great job " + thumbsUpMedium, thumbsUpMedium + " thanks all"),
              std::nullopt);
    const QString three = thumbsUpMedium.repeated(3);
    EXPECT_EQ(mergeOverlapping("great job " + three, three + " thanks"),
              "great job " + three + " thanks");
    // Han characters are letters and count one each.
    EXPECT_EQ(mergeOverlapping("我们明天开会讨论这个项目", "讨论这个项目的进度"),
              "我们明天开会讨论这个项目的进度");
    EXPECT_EQ(mergeOverlapping("我们明天开会", "开会吧"), std::nullopt);
}

// The rules written out plainly, recomputing everything for every line.
std::optional<QString> referenceMerge(const QString& a, const QString& n) {
    if (a == n)
        return a;
    const QString na = normalizeForComparison(a), nn = normalizeForComparison(n);
    if (na == nn)
        return n;
    if (na.contains(nn))
        return a;
    if (nn.contains(na))
        return n;
    const auto keys = [](const QString& text) {
        const std::vector<qint32> starts = Graphemes::segment(text);
        QStringList result;
        for (std::size_t i = 0; i + 1 < starts.size(); ++i) {
            QString key;
            Graphemes::appendKey(QStringView(text).mid(starts[i], starts[i + 1] - starts[i]), key);
            result << key;
        }
        return std::pair(result, starts);
    };
    const auto [ka, startsA] = keys(a);
    const auto [kn, startsN] = keys(n);
    const qsizetype shortest = std::min(ka.size(), kn.size());
    const qsizetype minOverlap = std::clamp<qsizetype>(shortest / 3, 3, 12);
    for (qsizetype k = shortest; k >= 1; --k) {
        if (ka.mid(ka.size() - k) == kn.mid(0, k))
            return k >= minOverlap ? std::optional(a + n.mid(startsN[k])) : std::nullopt;
    }
    return std::nullopt;
}

QString randomLine(QRandomGenerator& random) {
    static const QStringList words{"we",   "will", "ship", "the",  "release", "on",   "Friday,",
                                   "café", "caf\u00e9", "会议", "👍🏽",  "OK.",     "next", "steps"};
    QStringList line;
    const int count = random.bounded(1, 7);
    for (int i = 0; i < count; ++i)
        line << words[random.bounded(words.size())];
    return line.join(' ');
}

// The incremental text (cached normalisation, index for long texts) gives exactly what the
// rules give, line after line, far past the length at which the index takes over.
TEST(TranscriptAssemblerTest, AccumulatedTextAgreesWithTheRulesOverALongMonologue) {
    QRandomGenerator random(7);
    AccumulatedText accumulated;
    QString expected;
    int merged = 0;
    qsizetype longest = 0;
    for (int step = 0; step < 2500; ++step) {
        QString line;
        const int kind = random.bounded(8);
        if (kind < 4 && expected.size() > 20) // a continuation overlapping the end
            line = expected.right(random.bounded(4, 20)) + ' ' + randomLine(random);
        else if (kind == 4 && expected.size() > 40) // something said before
            line = expected.mid(random.bounded(int(expected.size()) - 30), 25);
        else if (kind == 5) // the open text, re-punctuated
            line = expected.toUpper() + '!';
        else
            line = randomLine(random);
        const std::optional<QString> rule = referenceMerge(expected, line);
        ASSERT_EQ(accumulated.merge(line), rule.has_value()) << "step " << step;
        if (rule) {
            expected = *rule;
            ++merged;
        } else if (random.bounded(40) == 0) {
            expected = line;
            accumulated.assign(line);
        }
        ASSERT_EQ(accumulated.text(), expected) << "step " << step;
        longest = std::max(longest, expected.size());
    }
    EXPECT_GT(merged, 1000);
    EXPECT_GT(longest, 2000);
}

TEST(TranscriptAssemblerTest, SubstringIndexAnswersLikeASearch) {
    QRandomGenerator random(3);
    SubstringIndex index;
    QString text;
    for (int round = 0; round < 40; ++round) {
        QString piece;
        for (int i = 0; i < 50; ++i)
            piece += QChar(u"ab c\u00e9\u4f1a"[random.bounded(6)]);
        text += piece;
        index.append(piece);
        ASSERT_EQ(index.size(), text.size());
        for (int probe = 0; probe < 50; ++probe) {
            const int start = random.bounded(int(text.size()));
            QString needle = text.mid(start, random.bounded(1, 12));
            if (probe % 2)
                needle[random.bounded(int(needle.size()))] = QChar(u"ab c\u00e9\u4f1ax"[random.bounded(7)]);
            ASSERT_EQ(index.contains(needle), text.contains(needle)) << qPrintable(needle);
        }
    }
    EXPECT_TRUE(index.contains(QString()));
    index.clear();
    EXPECT_FALSE(index.contains(u"a"));
}

TEST(TranscriptAssemblerTest, SameLineRecognisesALineGrownCorrectedOrScrolled) {
    EXPECT_TRUE(sameLine("Hello", "Hello"));
    EXPECT_TRUE(sameLine("Hello", "Hello world, how are"));
    // Corrected, also several words at once, and grown and corrected in one poll.
    EXPECT_TRUE(sameLine("I think we shod go", "I think we should go"));
    EXPECT_TRUE(sameLine("like protocol afternoon growth the if onboarding storage this",
                         "Like protocol afternoon Wednesday the if onboarding he. This interviews a"));
    EXPECT_TRUE(sameLine("We review for afternoon", "We review for afternoon the these."));
    // A line that shows only its last characters, scrolled on (with a word corrected meanwhile).
    EXPECT_TRUE(sameLine("build, that system have the. Calendar she right",
                         "system have the. Calendar she right next hotfix of"));
    EXPECT_TRUE(sameLine("headline. Make we calendar obviously product do database",
                         "Make we calendar obviously workshop do will workshop"));
    // Accents typed as combining marks are the same characters.
    EXPECT_TRUE(sameLine("On se voit au caf\u00e9 dem", "on se voit au cafe\u0301 demain"));
}

TEST(TranscriptAssemblerTest, SameLineRejectsTheNextSentenceAndShrinking) {
    EXPECT_FALSE(sameLine("Sentence one is complete.", "Next"));
    EXPECT_FALSE(sameLine("I think we should", "Let me rephrase that"));
    EXPECT_FALSE(sameLine("first sentence here", "second one"));
    // Two characters in common are no evidence for a line of two characters.
    EXPECT_FALSE(sameLine("we", "Candidate good a"));
    EXPECT_FALSE(sameLine("he", "Point merge mockup on with of"));
    // A line never shrinks to half its length.
    EXPECT_FALSE(sameLine("Hello world, how are you", "Hello"));
}

TEST(TranscriptAssemblerTest, SpliceReplacesOnlyTheRevisedLine) {
    const QString before = QStringLiteral("Thanks everyone. ");
    // Corrected in place.
    EXPECT_EQ(splice(before + "I think we shod", "I think we shod", "I think we should go"),
              before + "I think we should go");
    // Scrolled forward, with a word in the part still shown corrected: what scrolled out stays.
    EXPECT_EQ(splice(before + "for joining today. The agenda has tree", "for joining today. The agenda has tree",
                     "today. The agenda has three items first"),
              before + "for joining today. The agenda has three items first");
    EXPECT_EQ(splice(before + "headline. Make we calendar obviously product do database",
                     "headline. Make we calendar obviously product do database",
                     "Make we calendar obviously workshop do will workshop"),
              before + "headline. Make we calendar obviously workshop do will workshop");
    // Scrolled back: what the text already holds is not repeated.
    EXPECT_EQ(splice("We met the team. Then we looked at the roadmap", "Then we looked at the roadmap",
                     "the team. Then we looked at the road map for Q3"),
              "We met the team. Then we looked at the road map for Q3");
    // The old line's last word begins the new one.
    EXPECT_EQ(splice("About the worker will signup", "About the worker will signup", "Signup question"),
              "About the worker will Signup question");
    // Only an ending can be replaced.
    EXPECT_EQ(splice("We met the team.", "the roadmap", "the road map"), std::nullopt);
    EXPECT_EQ(splice("We met the team.", "", "more"), std::nullopt);
}

TEST(TranscriptAssemblerTest, LongLineRevisedFarBackWhileGrowingIsTheSameLineReplacedInPlace) {
    QStringList words;
    for (int i = 0; i < 100; ++i)
        words << QStringLiteral("word%1").arg(i % 37);
    const QString before = words.mid(0, 80).join(u' ');
    words[3] = "problem us";
    words[10] = "Word10,";
    words.removeAt(30);
    const QString after = words.mid(0, 85).join(u' ');
    EXPECT_TRUE(sameLine(before, after));
    EXPECT_EQ(splice("Hi. " + before, before, after), "Hi. " + after);
    // A grown and revised line whose growth says again a phrase of its start is not scrolled back.
    EXPECT_EQ(splice("Hi. Version requirement, back we demo. Cache monitoring if version",
                     "Version requirement, back we demo. Cache monitoring if version",
                     "the requirement, back we demo. Cache monitoring if version requirement back"),
              "Hi. the requirement, back we demo. Cache monitoring if version requirement back");
}

TEST(TranscriptAssemblerTest, NextSentenceStartingWithTheLastWordIsToldFromAScroll) {
    using TranscriptAssembler::startsNextSentence;
    EXPECT_TRUE(startsNextSentence("We really should thanks.", "Thanks maybe today"));
    EXPECT_TRUE(startsNextSentence("to let's expensive", "Expensive copy maybe"));
    EXPECT_TRUE(startsNextSentence("is it done? Done.", "done we are"));
    // The same text scrolled on keeps the word as it was.
    EXPECT_FALSE(startsNextSentence("we should go and say thanks.", "thanks. Maybe today"));
    EXPECT_FALSE(startsNextSentence("the team and the", "the release"));
    // A line that starts as before, and a line of one word, are that line.
    EXPECT_FALSE(startsNextSentence("the plan and the", "The plan and the people."));
    EXPECT_FALSE(startsNextSentence("thanks", "Thanks everyone"));
    // A first word corrected into the last one, capitalised: the line revised, not a new sentence.
    EXPECT_FALSE(startsNextSentence("so we think release", "Release we think release soon"));
    EXPECT_FALSE(startsNextSentence("so we think it is release", "Release we think it is release"));
    // Scrolled on with its sentence end moved: more words line up than the one.
    EXPECT_FALSE(startsNextSentence("what finance memory we merge worker podcast Release we I we.",
                                    "we merge worker podcast. Release we I was. This forecast"));
}

TEST(TranscriptAssemblerTest, LineScrolledPastMostOfItKeepsWhatScrolledOut) {
    using TranscriptAssembler::scrolledOn;
    const QString wide = "cost? For that work schedule finance the and so? Quarter office";
    EXPECT_TRUE(scrolledOn(wide, "office localisation Toronto training retrospective update for"));
    EXPECT_EQ(TranscriptAssembler::splice(wide, wide, "office localisation Toronto training"),
              "cost? For that work schedule finance the and so? Quarter office localisation Toronto training");
    // Two of the five words still shown corrected meanwhile.
    const QString revised = "webinar server storage article vendor going our just";
    EXPECT_TRUE(scrolledOn(revised, "article vendor January my just we release for later"));
    EXPECT_EQ(TranscriptAssembler::splice(revised, revised, "article vendor January my just we release"),
              "webinar server storage article vendor January my just we release");
    // As many words corrected as kept, three of them at least.
    const QString half = "Priority. And like what number think budget decision";
    EXPECT_TRUE(scrolledOn(half, "like June will budget decision insights contract the over"));
    EXPECT_EQ(TranscriptAssembler::splice(
                  half, half, "like June will budget decision insights contract the over"),
              "Priority. And like June will budget decision insights contract the over");
    EXPECT_FALSE(scrolledOn(half, "like June will budget insights contract the over"));
    // Or the last words kept after a word or two a correction put in front of them.
    const QString banner = "this security product network scheduler interviews that banner";
    EXPECT_TRUE(scrolledOn(banner, "service persona that banner backlog access for tomorrow"));
    EXPECT_FALSE(
        scrolledOn(banner, "service persona name that banner backlog access for tomorrow"));
    // One word corrected into two as the line scrolled: only that word goes.
    const QString office = "feedback staging design office about we They roadmap";
    EXPECT_EQ(TranscriptAssembler::splice(office, office,
                                          "of obviously about we? They roadmap priority customer"),
              "feedback staging design of obviously about we? They roadmap priority customer");
    // Three words corrected into two as the line scrolled by one: no more words than those kept,
    // but one after its last word.
    const QString fewer = "all, document. Think there offer going is pipeline office";
    EXPECT_TRUE(scrolledOn(fewer, "document. Think there very think pipeline office revenue"));
    EXPECT_EQ(TranscriptAssembler::splice(
                  fewer, fewer, "document. Think there very think pipeline office revenue"),
              "all, document. Think there very think pipeline office revenue");
    EXPECT_FALSE(scrolledOn(fewer, "document. Think there very think maybe pipeline office"));
    // As many words corrected as kept, two of them, where the kept ones hold a sentence end.
    const QString research = "into monitoring they how research the. On January that";
    EXPECT_TRUE(scrolledOn(research, "the. On still right revenue October owner outage"));
    EXPECT_EQ(TranscriptAssembler::splice(research, research,
                                          "the. On still right revenue October owner outage"),
              "into monitoring they how research the. On still right revenue October owner outage");
    EXPECT_FALSE(scrolledOn(research, "the on still right revenue October owner outage"));
    // A replaced first word may as well have scrolled out: it stays rather than being lost.
    EXPECT_EQ(TranscriptAssembler::splice(revised, revised, "many vendor January our just we"),
              "webinar server storage article many vendor January our just we");

    // A short line does not scroll: its last word beginning a line is the next sentence.
    EXPECT_FALSE(scrolledOn("Up earlier at office", "office if yesterday is"));
    // Nor does a capital where there was none, or one capitalised word, begin a scroll.
    EXPECT_FALSE(scrolledOn("People today design Friday know storage need yeah the", "Yeah would the not our"));
    EXPECT_FALSE(scrolledOn("But today a engineering architecture office this it Nairobi",
                            "Nairobi loyalty interviews research"));
    EXPECT_TRUE(scrolledOn("But today a engineering architecture office this Nairobi team",
                           "Nairobi team interviews research"));
    // It does when that word and three more are kept in order: a correction moved the sentence
    // start.
    const QString client = "Client get there next the certificate time with";
    EXPECT_TRUE(scrolledOn(client, "Get schedule memory certificate, time with standup I."));
    EXPECT_FALSE(scrolledOn(client, "Get schedule memory certificate, lunch standup I."));
    // Unless the line shows that word capitalised: its sentence goes on, with a word corrected,
    // or from that word alone when it was the first of a sentence the line had just begun.
    const QString retention = "survey scope maybe retention. Retention storage in data";
    EXPECT_TRUE(scrolledOn(retention, "Retention that those in data research compliance what"));
    EXPECT_EQ(
        TranscriptAssembler::splice(retention, retention, "Retention that those in data research"),
        "survey scope maybe retention. Retention that those in data research");
    EXPECT_TRUE(scrolledOn("okay kickoff know are sprint hotfix design savings. Firewall",
                           "Firewall important about difficult would launch berlin"));
    EXPECT_FALSE(scrolledOn("okay kickoff know are sprint hotfix design savings Firewall",
                            "Firewall important about difficult would launch berlin"));
    // A sentence that began with the word ending the one before, its first guess corrected as
    // the line scrolled: the two are different words, and the sentence goes on after the first.
    const QString sentence = "then not. if still requirement think plan friday of";
    EXPECT_TRUE(scrolledOn(sentence, "Not still requirement problem plan friday storage in"));
    EXPECT_EQ(TranscriptAssembler::splice(sentence, sentence,
                                          "Not still requirement problem plan friday storage in"),
              "then not. Not still requirement problem plan friday storage in");
    EXPECT_FALSE(scrolledOn(sentence, "Not. Still requirement problem plan friday storage in"));
    EXPECT_FALSE(scrolledOn(sentence, "Not loyalty week problem plan friday storage in"));
    // More words changed than kept, and nothing kept, are not the line.
    EXPECT_FALSE(scrolledOn(revised, "article market January my soon we release for later"));
    EXPECT_FALSE(scrolledOn(revised, "completely different words by now"));
}

// A rolling line that holds a phrase twice scrolls on from the one that needs fewer changes:
// the one that ends it, unless going on from the first keeps nearly all words after it.
TEST(TranscriptAssemblerTest, PhraseShownTwiceScrollsOnFromTheOneThatFits) {
    using TranscriptAssembler::splice;
    const QString twice = "The the notes get how savings. Savings notes get how";
    EXPECT_EQ(splice(twice, twice, "notes get how savings certificate spreadsheet estimate one"),
              "The the notes get how savings. Savings notes get how savings certificate "
              "spreadsheet estimate one");
    const QString repeated = "absolutely all the I, the are. Need all the i the";
    EXPECT_EQ(splice(repeated, repeated, "all the i the I to our patch change the but conversion"),
              "absolutely all the I, the are. Need all the i the I to our patch change the but "
              "conversion");
    // Also when the line starts with the phrase it ends with; but a line that keeps half of its
    // words from its start was revised in place.
    const QString starts = "then all any project our video a. A referral then all any";
    EXPECT_EQ(splice(starts, starts, "then all any December today that like cost Toronto it more"),
              "then all any project our video a. A referral then all any December today that like "
              "cost Toronto it more");
    // Three short words are a phrase too.
    const QString shortPhrase = "the all any project our video a. A referral the all any";
    EXPECT_EQ(splice(shortPhrase, shortPhrase,
                     "the all any December today that like cost Toronto it more"),
              "the all any project our video a. A referral the all any December today that like "
              "cost Toronto it more");
    const QString revised = "Toronto draft you quickly. The June can toronto draft";
    EXPECT_EQ(splice(revised, revised, "Toronto draft you budget. be toronto draft you quickly"),
              "Toronto draft you budget. be toronto draft you quickly");
    // A word corrected after the first one, and one added: it goes on from the first.
    const QString corrected = "cheaper a any funnel. Also there right a any funnel";
    EXPECT_EQ(splice(corrected, corrected, "a any funnel. Also there cheaper a any funnel draft"),
              "cheaper a any funnel. Also there cheaper a any funnel draft");
}

// A word dropped by a revision lets the word before the line come back into view: it is not
// written twice.
TEST(TranscriptAssemblerTest, WordBroughtBackIntoViewByARevisionIsNotRepeated) {
    const QString previous = "on coverage actually you. You security at to I specification do";
    EXPECT_EQ(TranscriptAssembler::splice("draft over growth " + previous, previous,
                                          "growth on actually you. You security at to I specification do"),
              "draft over growth on actually you. You security at to I specification do");
}

// A line that lost its first word without growing was revised, not scrolled: the word goes.
// One that grew meanwhile, or that did not start a sentence, scrolled and keeps it.
TEST(TranscriptAssemblerTest, FirstWordDroppedByARevisionIsToldFromAScroll) {
    using TranscriptAssembler::splice;
    const QString line = "Because forecast Berlin system faster schedule funnel we're in you I? Over";
    EXPECT_EQ(splice(line, line, "forecast Berlin system faster salary funnel we're in you I? Over"),
              "forecast Berlin system faster salary funnel we're in you I? Over");
    EXPECT_EQ(splice(line, line, "forecast Berlin system faster schedule funnel we're in you I? Over it"),
              "Because forecast Berlin system faster schedule funnel we're in you I? Over it");
    const QString midSentence = "because forecast Berlin system faster schedule funnel";
    EXPECT_EQ(splice(midSentence, midSentence, "forecast Berlin system faster schedule"),
              "because forecast Berlin system faster schedule");
}

// A line scrolled back while a correction took a word out of it: the words it shows again are
// those the text ends with, even where a repeated word lines it up one word earlier.
TEST(TranscriptAssemblerTest, ScrollBackWithACorrectionRepeatsNothingTheTextHolds) {
    const QString previous = "toronto on tomorrow savings consent notes so was some";
    const QString newText = "access Toronto toronto a savings consent notes so was some";
    EXPECT_EQ(splice("The and access Toronto " + previous, previous, newText),
              "The and access Toronto toronto a savings consent notes so was some");
    // With no text in front, nothing can be shown again: the words in front are new.
    EXPECT_EQ(TranscriptAssembler::spliceCut(previous, newText, QStringView()),
              std::make_pair(qsizetype(0), qsizetype(0)));
    // Nor can a line too narrow to have scrolled show again what the text ends with.
    EXPECT_EQ(splice("We met. Should next it's simple like", "Should next it's simple like",
                     "some the next it's simple like protocol"),
              "We met. some the next it's simple like protocol");
    // A wide one tells them apart by the words: shown again with a correction, some are still
    // among the text's last words; put in front by a revision, none is.
    const QString wide = "Should next it's complicated simple like protocol";
    EXPECT_EQ(
        splice("We met. " + wide, wide, "some the next it's complicated simple like protocol next"),
        "We met. some the next it's complicated simple like protocol next");
    EXPECT_EQ(splice("Then we saw " + wide, wide,
                     "we sew Should nest it's complicated simple like protocol next"),
              "Then we saw Should nest it's complicated simple like protocol next");
    // Words the text does not end with are not taken as shown again.
    EXPECT_EQ(splice("The and beta gamma " + previous, previous, newText),
              "The and beta gamma access Toronto toronto a savings consent notes so was some");
    // The whole old line in the new one after words the text does not end with: a revision put
    // them in front, and they stay.
    const QString line = "the plan for the launch is set";
    EXPECT_EQ(splice("We met. " + line, line, "Frankly the plan for the launch is set now"),
              "We met. Frankly the plan for the launch is set now");
    EXPECT_EQ(splice("We met. Frankly " + line, line, "Frankly the plan for the launch is set now"),
              "We met. Frankly the plan for the launch is set now");

    // A correction shortened the line, so it scrolled back over words the text ends with while
    // few of its words stayed as they were: those words are not written again.
    const QString shortened = "Campaign make wireframe need. Campaign blog service earlier";
    const QString back = "have maybe Campaign make Monday need. on service these";
    using TranscriptAssembler::scrolledBack;
    EXPECT_EQ(scrolledBack(shortened, back, u"we're standup have maybe "), qsizetype(11));
    EXPECT_EQ(splice("we're standup have maybe " + shortened, shortened, back),
              "we're standup have maybe Campaign make Monday need. on service these");
    // One word shown again while the line's own first word was corrected: when two thirds of its
    // words come back.
    const QString afternoon = "incident afternoon know the for server right Client build";
    EXPECT_EQ(splice("get product calendar " + afternoon, afternoon,
                     "calendar merge know the for server right. Client build"),
              "get product calendar merge know the for server right. Client build");
    EXPECT_EQ(scrolledBack(afternoon, "calendar merge know the for server right. Clint bill",
                           u"get product calendar "),
              std::nullopt);
    // Of three or more words shown again one may be corrected too (not the last): the new line
    // takes their place; a splice, which keeps the text before the line, does not.
    const QString honestly = "honestly? Like interesting the right newsletter queue";
    const QString corrected = "are the but honestly? Like these sure newsletter queue";
    EXPECT_EQ(scrolledBack(honestly, corrected, u"So. Interesting the but "), qsizetype(20));
    EXPECT_EQ(splice("So. Interesting the but " + honestly, honestly, corrected),
              "So. Interesting the but " + corrected);
    EXPECT_EQ(scrolledBack(honestly, "are the and honestly? Like these sure newsletter queue",
                           u"So. Interesting the but "),
              std::nullopt);
    // Not when the text does not end with them, nor when the line still starts as it did.
    EXPECT_EQ(scrolledBack(shortened, back, u"we're standup have "), std::nullopt);
    EXPECT_EQ(splice("standup have " + shortened, shortened, back), "standup have " + back);
    EXPECT_EQ(
        scrolledBack(shortened, "Campaign make Monday need. on service these", u"have maybe "),
        std::nullopt);
}

// Replacing the end keeps the incremental text equal to the rules: the text, its normalised
// form and its index stay right for the merges that follow.
TEST(TranscriptAssemblerTest, AccumulatedTextReplacesItsEndAndStillMergesByTheRules) {
    QRandomGenerator random(11);
    AccumulatedText accumulated;
    QString expected;
    for (int step = 0; step < 1600; ++step) {
        if (step % 3 == 2 && expected.size() > 10) {
            const qsizetype count = random.bounded(1, 10);
            const QString tail = randomLine(random);
            accumulated.replaceEnd(count, tail);
            expected = expected.left(expected.size() - count) + tail;
        } else {
            const QString line = expected.size() > 20 && random.bounded(2)
                                     ? expected.right(random.bounded(4, 20)) + ' ' + randomLine(random)
                                     : randomLine(random);
            const std::optional<QString> rule = referenceMerge(expected, line);
            ASSERT_EQ(accumulated.merge(line), rule.has_value()) << "step " << step;
            if (rule)
                expected = *rule;
            // Something said long ago is still found (through the index, once there is one).
            if (expected.size() > 1500) {
                ASSERT_TRUE(accumulated.merge(expected.mid(100, 30))) << "step " << step;
            }
        }
        ASSERT_EQ(accumulated.text(), expected) << "step " << step;
    }
    EXPECT_GT(expected.size(), 1500);
}

} // namespace
