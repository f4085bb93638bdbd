#include "ui/MarkdownHighlighter.h"
#include "ui/MarkdownNoteEditor.h"

#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>

#include <gtest/gtest.h>

namespace velmora {
namespace {

// The format the highlighter gave the character at `column` of line `line`.
QTextCharFormat formatAt(const QTextDocument& document, int line, int column) {
    const QTextBlock block = document.findBlockByNumber(line);
    QTextCharFormat result;
    for (const QTextLayout::FormatRange& range : block.layout()->formats()) {
        if (column >= range.start && column < range.start + range.length)
            result = range.format;
    }
    return result;
}

class MarkdownHighlighterTest : public ::testing::Test {
protected:
    QTextDocument document;
    MarkdownHighlighter highlighter{&document};

    void setText(const QString& text) { document.setPlainText(text); }
    bool isMarker(int line, int column) {
        return formatAt(document, line, column).foreground().color() == highlighter.markerColor();
    }
    bool isMono(int line, int column) {
        return formatAt(document, line, column).font().family() == highlighter.monoFont().family() &&
               formatAt(document, line, column).hasProperty(QTextFormat::FontPixelSize) &&
               formatAt(document, line, column).font().pixelSize() == highlighter.monoFont().pixelSize();
    }
    int pixelSize(int line, int column) {
        const QTextCharFormat format = formatAt(document, line, column);
        return format.hasProperty(QTextFormat::FontPixelSize) ? format.font().pixelSize() : -1;
    }
};

TEST_F(MarkdownHighlighterTest, HeadingsNeedTheirBlankAndStartTheLine) {
    setText(QStringLiteral("# Title\n### Third\n#NoBlank\n  # indented\n###### six"));
    EXPECT_EQ(pixelSize(0, 4), 24);
    EXPECT_TRUE(isMarker(0, 0));
    EXPECT_TRUE(isMarker(0, 1)); // the blank belongs to the marker
    EXPECT_FALSE(isMarker(0, 2));
    EXPECT_EQ(pixelSize(1, 5), 17);
    EXPECT_TRUE(isMarker(1, 3));
    EXPECT_EQ(pixelSize(2, 3), -1);
    EXPECT_EQ(pixelSize(3, 5), -1);
    EXPECT_EQ(pixelSize(4, 8), 12);
}

TEST_F(MarkdownHighlighterTest, RulesAreThreeOrMoreOfOneMarkerCharacter) {
    setText(QStringLiteral("- - -\n***\n--\n-*-\n___"));
    EXPECT_EQ(pixelSize(0, 0), 4);
    EXPECT_TRUE(isMarker(0, 2));
    EXPECT_EQ(pixelSize(1, 1), 4);
    EXPECT_EQ(pixelSize(2, 0), -1);
    EXPECT_EQ(pixelSize(3, 0), -1);
    EXPECT_EQ(pixelSize(4, 0), 4);
}

TEST_F(MarkdownHighlighterTest, InlineMarkersAreDimmedAroundStyledContent) {
    setText(QStringLiteral("a **bold** b\nsee *this* and `code` or ~~gone~~\nsnake_case_name and _it_"));
    EXPECT_EQ(formatAt(document, 0, 5).fontWeight(), QFont::Bold);
    EXPECT_EQ(formatAt(document, 0, 2).fontWeight(), QFont::Bold); // markers are bold too
    EXPECT_TRUE(isMarker(0, 2));
    EXPECT_TRUE(isMarker(0, 3));
    EXPECT_FALSE(isMarker(0, 4));
    EXPECT_TRUE(isMarker(0, 8));
    EXPECT_TRUE(isMarker(0, 9));
    EXPECT_FALSE(formatAt(document, 0, 0).fontItalic());

    EXPECT_TRUE(formatAt(document, 1, 6).fontItalic());
    EXPECT_TRUE(isMarker(1, 4));
    EXPECT_TRUE(isMono(1, 17));
    EXPECT_EQ(formatAt(document, 1, 17).background().color(), highlighter.codeBackground());
    EXPECT_TRUE(formatAt(document, 1, 28).fontStrikeOut());

    // Underscores inside a word italicise nothing; between non-word characters they do.
    for (int column = 0; column < 15; ++column)
        EXPECT_FALSE(formatAt(document, 2, column).fontItalic()) << column;
    EXPECT_TRUE(formatAt(document, 2, 21).fontItalic());
}

TEST_F(MarkdownHighlighterTest, BlockStylesMuteQuotesAndDoneTasks) {
    setText(QStringLiteral("> quoted\n- [x] done\n- [ ] open\n* star"));
    EXPECT_TRUE(isMarker(0, 0));
    EXPECT_TRUE(isMarker(0, 1));
    EXPECT_EQ(formatAt(document, 0, 3).foreground().color(), highlighter.secondaryColor());
    EXPECT_TRUE(isMarker(1, 5));
    EXPECT_TRUE(formatAt(document, 1, 7).fontStrikeOut());
    EXPECT_EQ(formatAt(document, 1, 7).foreground().color(), highlighter.secondaryColor());
    EXPECT_TRUE(isMarker(2, 4));
    EXPECT_FALSE(formatAt(document, 2, 7).fontStrikeOut());
    // "* " followed by text is neither a list nor italics (no closing star).
    EXPECT_FALSE(isMarker(3, 0));
    EXPECT_FALSE(formatAt(document, 3, 3).fontItalic());
}

TEST_F(MarkdownHighlighterTest, NoInlineStylesInsideHeadingsRulesOrCode) {
    setText(QStringLiteral("## a **b**\n```\nx **y** `z`\n```"));
    EXPECT_FALSE(isMarker(0, 5));
    EXPECT_EQ(pixelSize(0, 7), 20);
    EXPECT_TRUE(isMono(2, 3));
    EXPECT_EQ(formatAt(document, 2, 4).fontWeight(), QFont::Normal);
    EXPECT_FALSE(isMarker(2, 2));
    // Fence lines are dimmed, the code itself is on the tint.
    EXPECT_TRUE(isMarker(1, 0));
    EXPECT_EQ(formatAt(document, 2, 0).background().color(), highlighter.codeBackground());
}

TEST_F(MarkdownHighlighterTest, ClosingAFenceRestylesTheBlocksAfterTheOpeningOne) {
    setText(QStringLiteral("intro\n~~~\n**code**\n# not a heading yet"));
    // Unclosed: ordinary text.
    EXPECT_FALSE(isMono(2, 3));
    EXPECT_EQ(formatAt(document, 2, 3).fontWeight(), QFont::Bold);
    EXPECT_EQ(pixelSize(3, 4), 24);

    QTextCursor cursor(&document);
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(QStringLiteral("\n```"));
    EXPECT_EQ(highlighter.codeBlocks(), (QList<MarkdownHighlighter::BlockSpan>{{1, 4}}));
    EXPECT_TRUE(isMono(2, 3));
    EXPECT_NE(formatAt(document, 2, 3).fontWeight(), QFont::Bold);
    EXPECT_TRUE(isMono(3, 4)); // the heading line is code now

    // Typing inside a line keeps the blocks; breaking the closing fence within its line, or
    // removing it, gives the lines their Markdown styles back.
    QTextCursor(document.findBlockByNumber(0)).insertText(QStringLiteral("more "));
    EXPECT_EQ(highlighter.codeBlocks().size(), 1);
    cursor.movePosition(QTextCursor::End);
    cursor.deletePreviousChar();
    EXPECT_TRUE(highlighter.codeBlocks().isEmpty());
    EXPECT_EQ(formatAt(document, 2, 3).fontWeight(), QFont::Bold);
    cursor.insertText(QStringLiteral("`"));
    EXPECT_EQ(highlighter.codeBlocks().size(), 1);
    cursor.movePosition(QTextCursor::StartOfBlock, QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
    EXPECT_TRUE(highlighter.codeBlocks().isEmpty());
    EXPECT_EQ(formatAt(document, 2, 3).fontWeight(), QFont::Bold);
    EXPECT_EQ(pixelSize(3, 4), 24);
}

TEST_F(MarkdownHighlighterTest, FontsFollowTheScale) {
    setText(QStringLiteral("# Big\n`mono`"));
    highlighter.setScaleFactor(1.2);
    EXPECT_EQ(pixelSize(0, 3), 29); // 24 × 1.2
    EXPECT_EQ(highlighter.baseFont().pixelSize(), 18);
    EXPECT_EQ(formatAt(document, 1, 2).font().pixelSize(), 16); // 13 × 1.2
}

TEST(MarkdownNoteEditorTest, TextColumnIsCentredAndAtMost680Wide) {
    EXPECT_EQ(MarkdownNoteEditor::horizontalInsetFor(1000), 184);
    EXPECT_EQ(MarkdownNoteEditor::horizontalInsetFor(600), 24);
    MarkdownNoteEditor editor;
    editor.resize(1000, 400);
    editor.show();
    EXPECT_EQ(editor.horizontalInset(), 184);
    EXPECT_EQ(editor.viewport()->width(), 1000 - 2 * 184);
    editor.resize(500, 400);
    EXPECT_EQ(editor.horizontalInset(), 24);
}

TEST(MarkdownNoteEditorTest, PastesPlainTextOnlyAndUndoesEdits) {
    MarkdownNoteEditor editor;
    editor.setPlainText(QStringLiteral("Start "));
    editor.moveCursor(QTextCursor::End);
    auto* rich = new QMimeData; // the clipboard owns it
    rich->setHtml(QStringLiteral("<b>bold</b> <img src='x.png'>"));
    rich->setText(QStringLiteral("**bold**"));
    QApplication::clipboard()->setMimeData(rich, QClipboard::Clipboard);
    editor.paste();
    QApplication::clipboard()->clear();
    EXPECT_EQ(editor.toPlainText(), QStringLiteral("Start **bold**"));
    EXPECT_TRUE(editor.document()->isUndoAvailable());
    editor.undo();
    EXPECT_EQ(editor.toPlainText(), QStringLiteral("Start "));
}

} // namespace
} // namespace velmora
