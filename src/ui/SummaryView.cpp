#include "ui/SummaryView.h"

#include "summary/SummarySection.h"

#include <QDesktopServices>
#include <QEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QStackedLayout>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace velmora {

namespace {

// Item and paragraph texts are inline Markdown: a leading "# ", "> ", "- ", "1. ", a fence or a
// rule must not turn one into a heading, quote, list, code block or line of its own.
QString inlineOnly(const QString& text) {
    static const QRegularExpression blockStart(QStringLiteral(
        R"(^(?:(?:#{1,6}|[-+*])(?:\s|$)|(\d{1,9})[.)](?:\s|$)|>|```|~~~|([-*_=])\s*\2\s*\2))"));
    const QRegularExpressionMatch match = blockStart.match(text);
    if (!match.hasMatch())
        return text;
    // Escape the punctuation that opens the block: the first character, or a number's dot.
    const qsizetype at = match.capturedLength(1);
    return text.left(at) + u'\\' + text.mid(at);
}

QString markdownOf(const QList<SummarySection>& sections) {
    QStringList out;
    for (const SummarySection& section : sections) {
        if (!section.heading.isEmpty())
            out << QStringLiteral("### ") + section.heading << QString();
        for (const QString& item : section.items)
            out << QStringLiteral("- ") + inlineOnly(item);
        if (!section.items.isEmpty())
            out << QString();
        for (const QString& paragraph : section.paragraphs)
            out << inlineOnly(paragraph) << QString();
    }
    return out.join(u'\n');
}

QLabel* centredLabel(QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setAlignment(Qt::AlignCenter);
    label->setWordWrap(true);
    return label;
}

} // namespace

SummaryView::SummaryView(QWidget* parent)
    : QWidget(parent), openLink_([](const QUrl& url) { QDesktopServices::openUrl(url); }) {
    pages_ = new QStackedLayout(this);

    browser_ = new QTextBrowser(this);
    browser_->setOpenLinks(false);
    browser_->setFrameShape(QFrame::NoFrame);
    browser_->document()->setDocumentMargin(20);
    browser_->setAccessibleName(tr("Meeting summary"));
    connect(browser_, &QTextBrowser::anchorClicked, this, &SummaryView::openLink);
    pages_->addWidget(browser_);

    auto* progressPage = new QWidget(this);
    auto* progressLayout = new QVBoxLayout(progressPage);
    progressLayout->addStretch();
    progressLabel_ = centredLabel(progressPage);
    progressLabel_->setText(tr("Generating summary..."));
    progressBar_ = new QProgressBar(progressPage);
    progressBar_->setTextVisible(false);
    progressBar_->setMaximumWidth(240);
    progressBar_->setAccessibleName(tr("Summary progress"));
    progressDetail_ = centredLabel(progressPage);
    progressLayout->addWidget(progressLabel_);
    progressLayout->addWidget(progressBar_, 0, Qt::AlignHCenter);
    progressLayout->addWidget(progressDetail_);
    progressLayout->addStretch();
    pages_->addWidget(progressPage);

    auto* errorPage = new QWidget(this);
    auto* errorLayout = new QVBoxLayout(errorPage);
    errorLabel_ = centredLabel(errorPage);
    errorLabel_->setTextFormat(Qt::PlainText);
    errorLayout->addStretch();
    errorLayout->addWidget(errorLabel_);
    errorLayout->addStretch();
    pages_->addWidget(errorPage);

    auto* emptyPage = new QWidget(this);
    auto* emptyLayout = new QVBoxLayout(emptyPage);
    emptyTitle_ = centredLabel(emptyPage);
    emptyTitle_->setText(tr("No summary yet"));
    emptyText_ = centredLabel(emptyPage);
    emptyText_->setText(tr("Summaries can be generated after the meeting ends."));
    generateButton_ = new QPushButton(tr("Generate Summary"), emptyPage);
    generateButton_->setDefault(true);
    connect(generateButton_, &QPushButton::clicked, this, &SummaryView::generateRequested);
    emptyLayout->addStretch();
    emptyLayout->addWidget(emptyTitle_);
    emptyLayout->addWidget(emptyText_);
    emptyLayout->addWidget(generateButton_, 0, Qt::AlignHCenter);
    emptyLayout->addStretch();
    pages_->addWidget(emptyPage);

    applyFonts();
    clear();
}

void SummaryView::setSummary(const QString& markdown) {
    markdown_ = markdown;
    const QList<SummarySection> sections = SummarySection::fromMarkdown(markdown);
    if (sections.isEmpty()) {
        showError(tr("This summary file holds no sections."));
        return;
    }
    // No raw HTML: a summary is model output and must not bring markup, images or forms along.
    browser_->document()->setMarkdown(
        markdownOf(sections), QTextDocument::MarkdownFeatures(QTextDocument::MarkdownDialectGitHub |
                                                              QTextDocument::MarkdownNoHTML));
    showState(State::summary);
}

void SummaryView::showProgress(const std::optional<SummaryProgress>& progress) {
    if (!progress || progress->chunkCount <= 0) {
        progressBar_->setRange(0, 0); // busy, no figure yet
        progressDetail_->clear();
    } else if (progress->merging) {
        progressBar_->setRange(0, progress->chunkCount);
        progressBar_->setValue(progress->chunkCount);
        progressDetail_->setText(tr("Combining the parts"));
    } else {
        progressBar_->setRange(0, progress->chunkCount);
        progressBar_->setValue(std::clamp(progress->chunk - 1, 0, progress->chunkCount));
        progressDetail_->setText(tr("Part %1 of %2").arg(progress->chunk).arg(progress->chunkCount));
    }
    showState(State::progress);
}

void SummaryView::showError(const QString& message) {
    errorLabel_->setText(message);
    showState(State::error);
}

void SummaryView::clear(bool live) {
    markdown_.clear();
    browser_->clear();
    emptyText_->setVisible(live);
    generateButton_->setVisible(!live);
    showState(State::empty);
}

QString SummaryView::summaryText() const {
    return state_ == State::summary ? browser_->toPlainText() : QString();
}

QString SummaryView::statusText() const {
    switch (state_) {
    case State::summary: return {};
    case State::progress:
        return progressDetail_->text().isEmpty()
                   ? progressLabel_->text()
                   : progressLabel_->text() + u' ' + progressDetail_->text();
    case State::error: return errorLabel_->text();
    case State::empty:
        return emptyTitle_->text() +
               (emptyText_->isVisibleTo(this) ? u' ' + emptyText_->text() : QString());
    }
    return {};
}

void SummaryView::showState(State state) {
    state_ = state;
    const int index = [state] {
        switch (state) {
        case State::summary: return 0;
        case State::progress: return 1;
        case State::error: return 2;
        case State::empty: return 3;
        }
        return 3;
    }();
    pages_->setCurrentIndex(index);
}

// Only web pages and mail: a summary written by a model could hold any link.
void SummaryView::openLink(const QUrl& url) {
    const QString scheme = url.scheme().toLower();
    if (scheme == u"http" || scheme == u"https" || scheme == u"mailto")
        openLink_(url);
}

void SummaryView::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::ApplicationFontChange)
        applyFonts();
}

void SummaryView::applyFonts() {
    QFont title = font();
    title.setPointSizeF(font().pointSizeF() > 0 ? font().pointSizeF() * 1.3 : 13);
    title.setBold(true);
    emptyTitle_->setFont(title);
    browser_->document()->setDefaultFont(font());
    // Headings are sized against the default font when the Markdown is read.
    if (state_ == State::summary && !markdown_.isEmpty())
        setSummary(markdown_);
}

} // namespace velmora
