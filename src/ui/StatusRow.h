#pragma once

#include <QWidget>

class QHBoxLayout;
class QLabel;

namespace velmora {

// One row of the permissions list: icon, title, status text and room for buttons.
class StatusRow final : public QWidget {
    Q_OBJECT
public:
    enum class Icon { good, bad, unknown, waiting };

    explicit StatusRow(const QString& title, QWidget* parent = nullptr);

    void setStatus(Icon icon, const QString& text, const QString& detail = QString());
    QString title() const;
    QString statusText() const;
    QString detailText() const;
    Icon icon() const { return icon_; }
    void addButton(QWidget* button);

private:
    QLabel* iconLabel_;
    QLabel* titleLabel_;
    QLabel* statusLabel_;
    QLabel* detailLabel_;
    QHBoxLayout* buttons_;
    Icon icon_ = Icon::unknown;
};

} // namespace velmora
