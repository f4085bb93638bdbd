#pragma once

#include <QWidget>

class QLabel;
class QVBoxLayout;

namespace velmora {

// A centred title and explanation where there is nothing to show yet.
class EmptyStatePanel final : public QWidget {
    Q_OBJECT
public:
    EmptyStatePanel(const QString& title, const QString& text, QWidget* parent = nullptr);

    void setText(const QString& text);
    QString title() const;
    QString text() const;
    // Extra widgets (a button) go below the text.
    void addWidget(QWidget* widget);

protected:
    void changeEvent(QEvent* event) override;

private:
    static constexpr double titleScale = 1.3;
    QLabel* title_;
    QLabel* text_;
    QVBoxLayout* layout_;
};

} // namespace velmora
