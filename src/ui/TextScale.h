#pragma once

#include <QFont>

namespace velmora {

// The application's text scale (0.9 … 1.2 from the zoom level), which AppearanceController sets.
// Widgets that size their own fonts read it when they see QEvent::ApplicationFontChange.
namespace TextScale {

// 1.0 until a scale was set.
double current();
void setCurrent(double scale);
// `font` with a pixel size of `baseSize` × the current scale.
QFont scaled(QFont font, double baseSize);

} // namespace TextScale

} // namespace velmora
