#pragma once

#include <QPlainTextEdit>

namespace velmora {

class MarkdownHighlighter;

// The notes editor: plain Markdown text, styled live by MarkdownHighlighter. Text in and out with
// setPlainText() / toPlainText(), changes through textChanged(). What is stored is exactly what
// the user typed: pastes insert plain text only. The text column is at most 680 px wide and
// centred, with 24 px of inset beside it and 20 px above and below. The fonts follow the
// application's text scale (TextScale) and the colours its palette.
class MarkdownNoteEditor final : public QPlainTextEdit {
    Q_OBJECT
public:
    static constexpr int maxColumnWidth = 680;
    static constexpr int minHorizontalInset = 24;
    static constexpr int verticalInset = 20;

    explicit MarkdownNoteEditor(QWidget* parent = nullptr);
    ~MarkdownNoteEditor() override;

    // Inset left and right of the text column for an editor `width` px wide.
    static int horizontalInsetFor(int width);
    int horizontalInset() const { return horizontalInset_; }
    MarkdownHighlighter& highlighter() const { return *highlighter_; }

protected:
    bool event(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool canInsertFromMimeData(const QMimeData* source) const override;
    void insertFromMimeData(const QMimeData* source) override;

private:
    void applyScale();
    void updateInsets();

    MarkdownHighlighter* highlighter_ = nullptr;
    int horizontalInset_ = minHorizontalInset;
};

} // namespace velmora
