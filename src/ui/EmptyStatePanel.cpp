#include "ui/EmptyStatePanel.h"

#include "ui/RelativeFont.h"

#include <QEvent>
#include <QLabel>
#include <QVBoxLayout>

namespace velmora {

EmptyStatePanel::EmptyStatePanel(const QString& title, const QString& text, QWidget* parent)
    : QWidget(parent), title_(new QLabel(title, this)), text_(new QLabel(text, this)),
      layout_(new QVBoxLayout(this)) {
    title_->setFont(relativeFont(titleScale));
    title_->setAlignment(Qt::AlignCenter);
    text_->setAlignment(Qt::AlignCenter);
    text_->setWordWrap(true);
    text_->setEnabled(false); // the dimmed secondary colour
    text_->setMaximumWidth(420);
    layout_->addStretch();
    layout_->addWidget(title_, 0, Qt::AlignHCenter);
    layout_->addWidget(text_, 0, Qt::AlignHCenter);
    layout_->addStretch();
    setAccessibleName(title);
}

void EmptyStatePanel::changeEvent(QEvent* event) {
    if (event->type() == QEvent::FontChange || event->type() == QEvent::ApplicationFontChange)
        title_->setFont(relativeFont(titleScale));
    QWidget::changeEvent(event);
}

void EmptyStatePanel::setText(const QString& text) { text_->setText(text); }
QString EmptyStatePanel::title() const { return title_->text(); }
QString EmptyStatePanel::text() const { return text_->text(); }

void EmptyStatePanel::addWidget(QWidget* widget) {
    layout_->insertWidget(layout_->count() - 1, widget, 0, Qt::AlignHCenter);
}

} // namespace velmora
