#include "sources/CaptionItems.h"

#include "fakes/QtPrinters.h"
#include "sources/AXNames.h"

#include <gtest/gtest.h>

using namespace velmora;

namespace {

AXSubtree group(const QList<AXSubtree>& children = {}) { return {AXRole::group, QString(), children}; }
AXSubtree text(const QString& value) { return {AXRole::staticText, value, {}}; }
AXSubtree image(const QString& name = QString()) { return {AXRole::image, name, {}}; }
AXSubtree button(const QString& label) { return {QStringLiteral("AXPushButton"), QString(), {text(label)}}; }
AXSubtree wrapped(int levels, AXSubtree inner) {
    for (int i = 0; i < levels; ++i)
        inner = group({inner});
    return inner;
}

QStringList read(const QList<AXSubtree>& areaChildren,
                 CaptionItems::LooseParts loose = CaptionItems::LooseParts::oneLine) {
    QStringList lines;
    for (const RawBrowserMeetEntry& line : CaptionItems::readLines(group(areaChildren), loose))
        lines.append(line.speaker + QStringLiteral(": ") + line.text);
    return lines;
}

// One way a client may nest a caption item (what Chromium leaves of its markup).
struct Nesting {
    int aroundList = 0;  // wrappers between the area and the list of items; -1: no list
    int aroundItem = 0;  // wrappers around each whole item
    int aroundParts = 0; // wrappers around the avatar, the name and the text each
    bool together = false; // name and text are siblings in one wrapper
    bool namedAvatar = false;
    bool blanks = false;     // blank texts between the pieces
    bool paragraphs = false; // the text in two paragraphs
    bool avatar = true;      // Chromium leaves out an image without a description

    AXSubtree item(const QString& name, const QString& words) const {
        const QString first = words.section(QLatin1Char(' '), 0, 0);
        const QString rest = words.section(QLatin1Char(' '), 1);
        QList<AXSubtree> said = paragraphs ? QList<AXSubtree>{group({text(first)}), group({text(rest)})}
                                           : QList<AXSubtree>{text(words)};
        QList<AXSubtree> parts;
        if (avatar)
            parts.append(wrapped(aroundParts, group({image(namedAvatar ? name : QString())})));
        if (together) {
            QList<AXSubtree> body{text(name)};
            if (blanks)
                body.append(text(QStringLiteral(" ")));
            body.append(said);
            parts.append(wrapped(aroundParts, group(body)));
        } else {
            parts.append(wrapped(aroundParts, group({text(name)})));
            if (blanks)
                parts.append(text(QStringLiteral(" ")));
            parts.append(wrapped(aroundParts, group(said)));
        }
        return wrapped(aroundItem, group(parts));
    }
    QList<AXSubtree> area(const QList<AXSubtree>& items) const {
        return aroundList < 0 ? items : QList<AXSubtree>{wrapped(aroundList, group(items))};
    }
};

TEST(CaptionItemsTest, ReadsEveryLineWithItsSpeakerWhateverTheNesting) {
    const QStringList expected{"Ana Lima: good morning all", "Bo: hi there", "Cy: one more thing"};
    for (int list : {-1, 0, 1, 3})
        for (int item : {0, 1, 2, 6})
            for (int parts : {0, 1, 2, 6})
                for (int flags = 0; flags < 32; ++flags)
                    for (auto loose : {CaptionItems::LooseParts::oneLine, CaptionItems::LooseParts::nameThenText}) {
                        const Nesting n{list, item, parts, bool(flags & 1), bool(flags & 2), bool(flags & 4),
                                        bool(flags & 8), !(flags & 16)};
                        SCOPED_TRACE(testing::Message() << "list " << list << " item " << item << " parts " << parts
                                                        << " flags " << flags << " loose " << int(loose));
                        const auto area = n.area({n.item("Ana Lima", "good morning all"), n.item("Bo", "hi there"),
                                                  n.item("Cy", "one more thing")});
                        ASSERT_EQ(read(area, loose), expected);
                        ASSERT_EQ(read(n.area({n.item("Ana Lima", "good morning all")}), loose), expected.mid(0, 1));
                    }
}

TEST(CaptionItemsTest, ReadsBlocksWhoseWrappersChromiumDroppedByTheirAvatars) {
    // Each block's avatar comes first; the parts sit side by side in the area, a button after.
    EXPECT_EQ(read({image(), group({text("Ana")}), group({text("Hello "), text("there")}),
                    image(), group({group({text("Bo")})}), group({text("Second"), text(" "), group({text("block")})}),
                    image("Cy"), group({text("Cy")}), group({text("Third")}),
                    image(), group({text("Dee")}), // no text yet
                    button("Jump to bottom")}),
              (QStringList{"Ana: Hello there", "Bo: Second block", "Cy: Third"}));
}

TEST(CaptionItemsTest, BlocksWithoutAvatarsSideBySideCanBeReadAsNameThenText) {
    const QList<AXSubtree> area{group({text("Ana")}), group({text("Hello"), text(" "), text("there")}),
                                group({text("Bo")}), group({group({text("Hi")})}),
                                group({text("Cy")}), // text part not yet shown
                                button("Jump to bottom")};
    EXPECT_EQ(read(area, CaptionItems::LooseParts::nameThenText), (QStringList{"Ana: Hello there", "Bo: Hi"}));
    // Within a block, its parts are one line however many there are.
    EXPECT_EQ(read({group({group({text("Ana")}), group({text("one")}), group({text("two")})}),
                    group({group({text("Bo")}), group({text("three")})})},
                   CaptionItems::LooseParts::nameThenText),
              (QStringList{"Ana: one two", "Bo: three"}));
}

TEST(CaptionItemsTest, TheAvatarStandsInForAMissingNameOnly) {
    // No author text: the avatar's name.
    EXPECT_EQ(read({group({group({image("Dana")}), group({text("Hello")})})}), QStringList{"Dana: Hello"});
    // An author text is the speaker even when the avatar says otherwise.
    EXPECT_EQ(read({group({image("Profile picture"), group({text("Dana")}), group({text("Hello")})})}),
              QStringList{"Dana: Hello"});
    // Chromium names an image without a description with a sentence: no one's name, so an item
    // that shows only its author has no line yet.
    const QString prompt = QStringLiteral("To get missing image descriptions, open the context menu.");
    EXPECT_EQ(read({group({group({image(prompt)}), group({text("Dana"), text(" "), text("Hello")})})}),
              QStringList{"Dana: Hello"});
    EXPECT_TRUE(read({group({group({image(prompt)}), group({text("Dana")})})}).isEmpty());
    EXPECT_EQ(read({group({image("Dana Ruiz"), group({text("Dana Ruiz (Guest)")}), group({text("Hi")})})}),
              QStringList{"Dana Ruiz (Guest): Hi"});
    // Text that only begins with the name is the caption, not the name.
    EXPECT_EQ(read({group({image("Dana"), group({text("Dana, can you hear me?")})})}),
              QStringList{"Dana: Dana, can you hear me?"});
}

TEST(CaptionItemsTest, ANewItemWithoutTextYetDoesNotMergeTheList) {
    const Nesting n{0, 0, 0, false, true};
    auto area = n.area({n.item("Ana", "one"), n.item("Bo", "two")});
    area[0].children.append(n.item("Cy", "x"));
    area[0].children.back().children.back().children.clear(); // Cy's text not shown yet
    EXPECT_EQ(read(area), (QStringList{"Ana: one", "Bo: two"}));
}

TEST(CaptionItemsTest, NeverReadsLooseTextsOrButtonsOfTheArea) {
    EXPECT_EQ(read({text("Live Captions"), button("Settings"),
                    group({group({text("Ana")}), button("More"), group({text("Hello")})})}),
              QStringList{"Ana: Hello"});
    EXPECT_TRUE(read({text("Ana"), text("Hello")}).isEmpty());
}

TEST(CaptionItemsTest, LineTextIsEveryNonBlankTextLeavingOutANameRepeatedFromTheAvatar) {
    EXPECT_EQ(CaptionItems::lineText(group({group({text(" first ")}), text(" "), wrapped(5, text("second"))})),
              QStringLiteral("first second"));
    EXPECT_EQ(CaptionItems::lineText(group({image("Ana"), group({text("Ana")}), group({text("Hello Ana")})})),
              QStringLiteral("Hello Ana"));
    EXPECT_EQ(CaptionItems::lineText(text("alone")), QStringLiteral("alone"));
    EXPECT_EQ(CaptionItems::lineText(group({image("Ana"), text("Bo said hi")})), QStringLiteral("Bo said hi"));
}

} // namespace
