#include "ui/StatusRow.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QStyle>
#include <QVBoxLayout>

namespace velmora {

namespace {

QStyle::StandardPixmap pixmapFor(StatusRow::Icon icon) {
    switch (icon) {
    case StatusRow::Icon::good: return QStyle::SP_DialogApplyButton;
    case StatusRow::Icon::bad: return QStyle::SP_DialogCancelButton;
    case StatusRow::Icon::waiting: return QStyle::SP_BrowserReload;
    case StatusRow::Icon::unknown: return QStyle::SP_MessageBoxQuestion;
    }
    return QStyle::SP_MessageBoxQuestion;
}

} // namespace

StatusRow::StatusRow(const QString& title, QWidget* parent) : QWidget(parent) {
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 4, 0, 4);
    iconLabel_ = new QLabel(this);
    iconLabel_->setFixedSize(20, 20);
    row->addWidget(iconLabel_, 0, Qt::AlignTop);
    auto* texts = new QVBoxLayout;
    titleLabel_ = new QLabel(title, this);
    QFont bold;
    bold.setBold(true); // only the weight: the size follows the text scale
    titleLabel_->setFont(bold);
    statusLabel_ = new QLabel(this);
    detailLabel_ = new QLabel(this);
    detailLabel_->setWordWrap(true);
    detailLabel_->setForegroundRole(QPalette::PlaceholderText);
    detailLabel_->hide();
    texts->addWidget(titleLabel_);
    texts->addWidget(statusLabel_);
    texts->addWidget(detailLabel_);
    row->addLayout(texts, 1);
    buttons_ = new QHBoxLayout;
    row->addLayout(buttons_);
    setStatus(Icon::unknown, tr("Checking..."));
}

void StatusRow::setStatus(Icon icon, const QString& text, const QString& detail) {
    icon_ = icon;
    iconLabel_->setPixmap(style()->standardIcon(pixmapFor(icon)).pixmap(18, 18));
    statusLabel_->setText(text);
    detailLabel_->setText(detail);
    detailLabel_->setVisible(!detail.isEmpty());
    setAccessibleName(titleLabel_->text() + QStringLiteral(": ") + text);
}

QString StatusRow::title() const { return titleLabel_->text(); }
QString StatusRow::statusText() const { return statusLabel_->text(); }
QString StatusRow::detailText() const { return detailLabel_->text(); }

void StatusRow::addButton(QWidget* button) { buttons_->addWidget(button, 0, Qt::AlignVCenter); }

} // namespace velmora
