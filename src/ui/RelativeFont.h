#pragma once

#include <QApplication>
#include <QFont>

namespace velmora {

// The application's font (which the text size scales) made `factor` times larger, for titles.
// Widgets set it again when their own (inherited) font changes.
inline QFont relativeFont(double factor, QFont::Weight weight = QFont::DemiBold) {
    QFont font = QApplication::font();
    if (font.pointSizeF() > 0)
        font.setPointSizeF(font.pointSizeF() * factor);
    else
        font.setPixelSize(qMax(1, qRound(font.pixelSize() * factor)));
    font.setWeight(weight);
    return font;
}

} // namespace velmora
