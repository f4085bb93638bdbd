#pragma once

#include <QLabel>

namespace velmora {

// A one-line label that shortens its text in the middle to fit, keeping both ends of a path
// readable; the whole text is in the tooltip and the accessible name.
class ElidedLabel final : public QLabel {
    Q_OBJECT
public:
    explicit ElidedLabel(QWidget* parent = nullptr);

    void setFullText(const QString& text);
    QString fullText() const { return fullText_; }
    QSize minimumSizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void elide();

    QString fullText_;
};

} // namespace velmora
