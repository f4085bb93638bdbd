#include "ui/MarkdownNoteEditor.h"

#include "ui/MarkdownHighlighter.h"
#include "ui/TextScale.h"

#include <QEvent>
#include <QMimeData>
#include <QResizeEvent>

namespace velmora {

MarkdownNoteEditor::MarkdownNoteEditor(QWidget* parent) : QPlainTextEdit(parent) {
    setUndoRedoEnabled(true);
    setTabChangesFocus(false);
    setFrameShape(QFrame::NoFrame);
    // The insets lie outside the viewport: paint them like the text's background.
    setBackgroundRole(QPalette::Base);
    setAutoFillBackground(true);
    setPlaceholderText(tr("Meeting notes..."));
    setAccessibleName(tr("Meeting notes editor"));
    document()->setDocumentMargin(0);
    highlighter_ = new MarkdownHighlighter(document(), TextScale::current(), palette());
    applyScale();
    updateInsets();
}

MarkdownNoteEditor::~MarkdownNoteEditor() = default;

int MarkdownNoteEditor::horizontalInsetFor(int width) {
    return std::max(0, (width - maxColumnWidth) / 2) + minHorizontalInset;
}

void MarkdownNoteEditor::resizeEvent(QResizeEvent* event) {
    QPlainTextEdit::resizeEvent(event);
    updateInsets();
}

void MarkdownNoteEditor::updateInsets() {
    const int inset = horizontalInsetFor(width());
    if (inset == horizontalInset_ && viewportMargins().top() == verticalInset)
        return;
    horizontalInset_ = inset;
    setViewportMargins(inset, verticalInset, inset, verticalInset);
}

// The application font changes with the text scale; ours is sized from the scale itself.
bool MarkdownNoteEditor::event(QEvent* event) {
    const bool handled = QPlainTextEdit::event(event);
    if (event->type() == QEvent::ApplicationFontChange && highlighter_)
        applyScale();
    return handled;
}

void MarkdownNoteEditor::changeEvent(QEvent* event) {
    QPlainTextEdit::changeEvent(event);
    if (event->type() == QEvent::PaletteChange && highlighter_)
        highlighter_->setPalette(palette());
}

void MarkdownNoteEditor::applyScale() {
    highlighter_->setScaleFactor(TextScale::current());
    setFont(highlighter_->baseFont());
}

bool MarkdownNoteEditor::canInsertFromMimeData(const QMimeData* source) const {
    return source->hasText();
}

// Only the text of a paste: formatting from a web page or a word processor is not Markdown.
void MarkdownNoteEditor::insertFromMimeData(const QMimeData* source) {
    if (source->hasText())
        textCursor().insertText(source->text());
}

} // namespace velmora
