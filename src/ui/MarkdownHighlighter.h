#pragma once

#include <QColor>
#include <QFont>
#include <QHash>
#include <QList>
#include <QPalette>
#include <QRegularExpression>
#include <QSyntaxHighlighter>
#include <QTextCharFormat>

#include <utility>

namespace velmora {

// Styles Markdown notes live while keeping every character visible: headings larger, markers
// dimmed, code monospaced on a tint, quotes and done tasks muted. Fenced code blocks are found
// over the whole document (a fence without its closing partner is ordinary text), so typing or
// removing a fence restyles everything after it. Main thread.
class MarkdownHighlighter final : public QSyntaxHighlighter {
    Q_OBJECT
public:
    // Base sizes, multiplied by the text scale.
    static constexpr double baseSize = 15, monoSize = 13, hrSize = 4;
    static constexpr double headingSizes[6] = {24, 20, 17, 14, 13, 12};

    explicit MarkdownHighlighter(QTextDocument* document, double scaleFactor = 1.0,
                                 const QPalette& palette = QPalette());
    ~MarkdownHighlighter() override;

    double scaleFactor() const { return scaleFactor_; }
    // Adopts a new text scale and restyles everything when it differs.
    void setScaleFactor(double scale);
    // Marker, muted and code colours come from the palette; restyles everything.
    void setPalette(const QPalette& palette);

    const QFont& baseFont() const { return baseFont_; }
    const QFont& monoFont() const { return monoFont_; }
    QColor markerColor() const { return markerColor_; }
    QColor secondaryColor() const { return secondaryColor_; }
    QColor codeBackground() const { return codeBackground_; }

    // First and last block number of each fenced block that is closed.
    using BlockSpan = std::pair<int, int>;
    QList<BlockSpan> codeBlocks() const { return codeBlocks_; }
    static bool isFence(const QString& line);

protected:
    void highlightBlock(const QString& text) override;

private:
    struct InlineRule {
        QRegularExpression pattern;
        QTextCharFormat format;
        int markerLength;
    };

    void invalidateFonts();
    void rebuildInlineRules();
    void onContentsChange(int position, int removed, int added);
    static QList<BlockSpan> findCodeBlocks(const QTextDocument* document);
    bool inCodeBlock(int blockNumber) const;
    bool mayMoveFences(const QTextBlock& first, const QTextBlock& last) const;
    bool styleHeading(const QString& text);
    bool styleRule(const QString& text);
    void styleBlock(const QString& text);
    void applyInline(const QString& text, const InlineRule& rule);
    void mergeFormat(int start, int length, const QTextCharFormat& format);

    double scaleFactor_;
    QFont baseFont_, monoFont_, hrFont_;
    QFont headingFonts_[6];
    QColor markerColor_, secondaryColor_, codeBackground_;
    QList<BlockSpan> codeBlocks_;
    int blockCount_ = 0; // when codeBlocks_ was computed
    QList<InlineRule> inlineRules_;
};

} // namespace velmora
