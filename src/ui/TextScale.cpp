#include "ui/TextScale.h"

#include <QCoreApplication>
#include <QVariant>

#include <cmath>

namespace velmora::TextScale {

namespace {
// Kept on the application object, beside its font, which it scales.
constexpr auto propertyName = "velmoraTextScale";
} // namespace

double current() {
    if (!QCoreApplication::instance())
        return 1.0;
    bool ok = false;
    const double scale = QCoreApplication::instance()->property(propertyName).toDouble(&ok);
    return ok && scale > 0 ? scale : 1.0;
}

void setCurrent(double scale) {
    if (QCoreApplication::instance())
        QCoreApplication::instance()->setProperty(propertyName, scale);
}

QFont scaled(QFont font, double baseSize) {
    font.setPixelSize(std::max(1, static_cast<int>(std::lround(baseSize * current()))));
    return font;
}

} // namespace velmora::TextScale
