#include "ui/MarkdownHighlighter.h"

#include <QFontDatabase>
#include <QGuiApplication>
#include <QTextDocument>

#include <QTextBlock>

#include <cmath>

namespace velmora {

namespace {

// Tested in this order, so "### " is never taken for "# ".
const QString headingPrefixes[] = {QStringLiteral("###### "), QStringLiteral("##### "),
                                   QStringLiteral("#### "),   QStringLiteral("### "),
                                   QStringLiteral("## "),     QStringLiteral("# ")};

QFont sized(QFont font, double size, double scale, QFont::Weight weight) {
    font.setPixelSize(std::max(1, static_cast<int>(std::lround(size * scale))));
    font.setWeight(weight);
    return font;
}

QColor withAlpha(QColor color, int alpha) {
    color.setAlpha(alpha);
    return color;
}

} // namespace

MarkdownHighlighter::MarkdownHighlighter(QTextDocument* document, double scaleFactor,
                                         const QPalette& palette)
    : QSyntaxHighlighter(static_cast<QObject*>(document)), scaleFactor_(scaleFactor) {
    invalidateFonts();
    markerColor_ = palette.color(QPalette::PlaceholderText);
    secondaryColor_ = withAlpha(palette.color(QPalette::Text), 170);
    codeBackground_ = withAlpha(palette.color(QPalette::Text), 28);
    rebuildInlineRules();
    // A document announces its edits only once it has a layout; a view makes one anyway.
    document->documentLayout();
    // Connected before the document is attached, so the fenced blocks are known again before
    // the base class restyles the edited block.
    connect(document, &QTextDocument::contentsChange, this, &MarkdownHighlighter::onContentsChange);
    codeBlocks_ = findCodeBlocks(document);
    blockCount_ = document->blockCount();
    setDocument(document);
    rehighlight(); // at once rather than at the next turn of the event loop
}

// The base class clears the formats on its way out, which edits the document: by then this
// class's part is gone and must not be called.
MarkdownHighlighter::~MarkdownHighlighter() {
    if (document())
        disconnect(document(), nullptr, this, nullptr);
}

bool MarkdownHighlighter::isFence(const QString& line) {
    const QString trimmed = line.trimmed();
    return trimmed.startsWith(QLatin1String("```")) || trimmed.startsWith(QLatin1String("~~~"));
}

void MarkdownHighlighter::setScaleFactor(double scale) {
    if (qFuzzyCompare(scale, scaleFactor_))
        return;
    scaleFactor_ = scale;
    invalidateFonts();
    rebuildInlineRules();
    rehighlight();
}

void MarkdownHighlighter::setPalette(const QPalette& palette) {
    markerColor_ = palette.color(QPalette::PlaceholderText);
    secondaryColor_ = withAlpha(palette.color(QPalette::Text), 170);
    codeBackground_ = withAlpha(palette.color(QPalette::Text), 28);
    rebuildInlineRules();
    rehighlight();
}

void MarkdownHighlighter::invalidateFonts() {
    const QFont system = QGuiApplication::font();
    baseFont_ = sized(system, baseSize, scaleFactor_, QFont::Normal);
    for (int level = 0; level < 6; ++level)
        headingFonts_[level] = sized(system, headingSizes[level], scaleFactor_,
                                     level < 2 ? QFont::Bold : QFont::DemiBold);
    monoFont_ = sized(QFontDatabase::systemFont(QFontDatabase::FixedFont), monoSize, scaleFactor_,
                      QFont::Normal);
    hrFont_ = sized(system, hrSize, scaleFactor_, QFont::Normal);
}

void MarkdownHighlighter::rebuildInlineRules() {
    QTextCharFormat bold;
    bold.setFontWeight(QFont::Bold);
    QTextCharFormat italic;
    italic.setFontItalic(true);
    QTextCharFormat strike;
    strike.setFontStrikeOut(true);
    QTextCharFormat code;
    code.setFont(monoFont_);
    code.setBackground(codeBackground_);
    const auto rule = [](const char* pattern, const QTextCharFormat& format, int markers) {
        return InlineRule{QRegularExpression(QString::fromLatin1(pattern),
                                             QRegularExpression::UseUnicodePropertiesOption),
                          format, markers};
    };
    inlineRules_ = {
        rule(R"(\*\*(.+?)\*\*)", bold, 2),
        rule(R"(__(.+?)__)", bold, 2),
        rule(R"((?<!\*)\*(?!\*)(.+?)(?<!\*)\*(?!\*))", italic, 1),
        rule(R"((?<!\w)_(?!_)(.+?)(?<!_)_(?!\w))", italic, 1),
        rule(R"(~~(.+?)~~)", strike, 2),
        rule(R"(`([^`]+)`)", code, 1),
    };
}

namespace {
// Block state bits: the line is inside a closed code block; the line is a fence.
constexpr int codeBit = 1, fenceBit = 2;
} // namespace

void MarkdownHighlighter::onContentsChange(int position, int, int added) {
    const QTextBlock first = document()->findBlock(position);
    const QTextBlock last = document()->findBlock(position + added);
    if (mayMoveFences(first, last)) {
        QList<BlockSpan> spans = findCodeBlocks(document());
        blockCount_ = document()->blockCount();
        if (spans != codeBlocks_) {
            codeBlocks_ = std::move(spans);
            // A fence appeared, vanished or moved: lines far from the edit change their style.
            rehighlight();
            return;
        }
    }
    // Only the edited lines. The base class does this too, but not before its first deferred
    // pass has run, and text set right after construction must be styled at once.
    for (QTextBlock block = first; block.isValid(); block = block.next()) {
        rehighlightBlock(block);
        if (block == last)
            break;
    }
}

// Typing inside one line that neither is nor was a fence leaves every code block where it was,
// so long notes are not walked on each keystroke. The old line's state still tells whether it
// was a fence: it is restyled only after this.
bool MarkdownHighlighter::mayMoveFences(const QTextBlock& first, const QTextBlock& last) const {
    if (first != last || document()->blockCount() != blockCount_)
        return true;
    const int state = first.userState();
    return isFence(first.text()) || state < 0 || (state & fenceBit);
}

QList<MarkdownHighlighter::BlockSpan> MarkdownHighlighter::findCodeBlocks(
    const QTextDocument* document) {
    QList<BlockSpan> spans;
    if (!document)
        return spans;
    int open = -1; // the opening fence's block while one is open
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        if (!isFence(block.text()))
            continue;
        if (open < 0) {
            open = block.blockNumber();
        } else {
            spans.append({open, block.blockNumber()});
            open = -1;
        }
    }
    return spans;
}

bool MarkdownHighlighter::inCodeBlock(int blockNumber) const {
    return std::any_of(codeBlocks_.cbegin(), codeBlocks_.cend(), [blockNumber](const BlockSpan& s) {
        return blockNumber >= s.first && blockNumber <= s.second;
    });
}

void MarkdownHighlighter::highlightBlock(const QString& text) {
    const bool code = inCodeBlock(currentBlock().blockNumber());
    // The state carries whether the block is code, so a change here walks on to the next block,
    // and whether it is a fence, so an edit can tell that it removed one.
    setCurrentBlockState((code ? codeBit : 0) | (isFence(text) ? fenceBit : 0));
    if (code) {
        QTextCharFormat format;
        format.setFont(monoFont_);
        if (isFence(text))
            format.setForeground(markerColor_);
        else
            format.setBackground(codeBackground_);
        setFormat(0, int(text.size()), format);
        return;
    }
    if (styleHeading(text) || styleRule(text))
        return;
    styleBlock(text);
    for (const InlineRule& rule : std::as_const(inlineRules_))
        applyInline(text, rule);
}

bool MarkdownHighlighter::styleHeading(const QString& text) {
    for (int i = 0; i < 6; ++i) {
        if (!text.startsWith(headingPrefixes[i]))
            continue;
        const int level = 6 - i; // "###### " is level 6
        QTextCharFormat line;
        line.setFont(headingFonts_[level - 1]);
        setFormat(0, int(text.size()), line);
        QTextCharFormat marker = line;
        marker.setForeground(markerColor_);
        setFormat(0, int(headingPrefixes[i].size()), marker);
        return true;
    }
    return false;
}

bool MarkdownHighlighter::styleRule(const QString& text) {
    QString compact = text.trimmed();
    compact.remove(QLatin1Char(' '));
    compact.remove(QLatin1Char('\t'));
    if (compact.size() < 3)
        return false;
    const QChar first = compact.front();
    if (first != u'-' && first != u'*' && first != u'_')
        return false;
    if (compact.count(first) != compact.size())
        return false;
    QTextCharFormat format;
    format.setFont(hrFont_);
    format.setForeground(markerColor_);
    setFormat(0, int(text.size()), format);
    return true;
}

void MarkdownHighlighter::styleBlock(const QString& text) {
    const auto muted = [&](int markerLength, bool strike) {
        QTextCharFormat line;
        line.setForeground(secondaryColor_);
        line.setFontStrikeOut(strike);
        setFormat(0, int(text.size()), line);
        QTextCharFormat marker = line;
        marker.setForeground(markerColor_);
        setFormat(0, markerLength, marker);
    };
    if (text.startsWith(QLatin1String("> ")) || text == QLatin1String(">")) {
        muted(std::min<int>(2, int(text.size())), false);
    } else if (text.startsWith(QLatin1String("- [x] ")) || text.startsWith(QLatin1String("- [X] "))) {
        muted(6, true);
    } else if (text.startsWith(QLatin1String("- [ ] "))) {
        QTextCharFormat marker;
        marker.setForeground(markerColor_);
        setFormat(0, 6, marker);
    }
}

void MarkdownHighlighter::applyInline(const QString& text, const InlineRule& rule) {
    if (!rule.pattern.isValid())
        return;
    for (auto it = rule.pattern.globalMatch(text); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        const int start = int(match.capturedStart());
        const int length = int(match.capturedLength());
        mergeFormat(start, length, rule.format);
        QTextCharFormat marker;
        marker.setForeground(markerColor_);
        mergeFormat(start, rule.markerLength, marker);
        mergeFormat(start + length - rule.markerLength, rule.markerLength, marker);
    }
}

// Inline styles add to what the line already has (a bold word in a done task stays struck out).
void MarkdownHighlighter::mergeFormat(int start, int length, const QTextCharFormat& format) {
    for (int i = start; i < start + length; ++i) {
        QTextCharFormat merged = this->format(i);
        merged.merge(format);
        setFormat(i, 1, merged);
    }
}

} // namespace velmora
