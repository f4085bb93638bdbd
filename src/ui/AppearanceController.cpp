#include "ui/AppearanceController.h"

#include "app/AppState.h"
#include "ui/TextScale.h"

#include <QApplication>
#include <QStyleFactory>

namespace velmora {

AppearanceController::AppearanceController(QApplication& application, QSettings& settings,
                                           AppState& appState, QObject* parent)
    : QObject(parent), application_(application), settings_(settings), appState_(appState),
      mode_(AppearanceModes::stored(settings)), systemPalette_(QApplication::palette()),
      systemFont_(QApplication::font()) {
    // Native styles may ignore the application palette; Fusion draws with it everywhere.
    if (QStyle* fusion = QStyleFactory::create(QStringLiteral("Fusion")))
        QApplication::setStyle(fusion);
    applyPalette();
    applyFonts();
    connect(&appState_, &AppState::zoomLevelChanged, this, &AppearanceController::applyFonts);
}

void AppearanceController::setMode(AppearanceMode mode) {
    AppearanceModes::store(settings_, mode);
    if (mode == mode_)
        return;
    mode_ = mode;
    applyPalette();
    emit modeChanged(mode);
}

double AppearanceController::textScale() const {
    return ZoomLevels::textScale(appState_.zoomLevel());
}

void AppearanceController::applyPalette() {
    switch (mode_) {
    case AppearanceMode::system: QApplication::setPalette(systemPalette_); break;
    case AppearanceMode::light: QApplication::setPalette(lightPalette()); break;
    case AppearanceMode::dark: QApplication::setPalette(darkPalette()); break;
    }
}

void AppearanceController::applyFonts() {
    const double scale = textScale();
    // The scale first: widgets that size their own fonts read it when the font change arrives.
    TextScale::setCurrent(scale);
    QFont font = systemFont_;
    if (font.pointSizeF() > 0)
        font.setPointSizeF(systemFont_.pointSizeF() * scale);
    else
        font.setPixelSize(std::max(1, qRound(systemFont_.pixelSize() * scale)));
    QApplication::setFont(font);
}

QPalette AppearanceController::lightPalette() {
    QPalette p;
    const QColor window(0xf5, 0xf5, 0xf7), text(0x1d, 0x1d, 0x1f), accent(0x0a, 0x64, 0xd8);
    p.setColor(QPalette::Window, window);
    p.setColor(QPalette::WindowText, text);
    p.setColor(QPalette::Base, Qt::white);
    p.setColor(QPalette::AlternateBase, QColor(0xee, 0xee, 0xf0));
    p.setColor(QPalette::ToolTipBase, Qt::white);
    p.setColor(QPalette::ToolTipText, text);
    p.setColor(QPalette::PlaceholderText, QColor(0x8e, 0x8e, 0x93));
    p.setColor(QPalette::Text, text);
    p.setColor(QPalette::Button, QColor(0xfb, 0xfb, 0xfd));
    p.setColor(QPalette::ButtonText, text);
    p.setColor(QPalette::BrightText, Qt::red);
    p.setColor(QPalette::Light, Qt::white);
    p.setColor(QPalette::Midlight, QColor(0xe5, 0xe5, 0xea));
    p.setColor(QPalette::Mid, QColor(0xc7, 0xc7, 0xcc));
    p.setColor(QPalette::Dark, QColor(0xa0, 0xa0, 0xa5));
    p.setColor(QPalette::Shadow, QColor(0x60, 0x60, 0x66));
    p.setColor(QPalette::Highlight, accent);
    p.setColor(QPalette::HighlightedText, Qt::white);
    p.setColor(QPalette::Link, accent);
    p.setColor(QPalette::LinkVisited, QColor(0x6e, 0x3c, 0xbc));
    for (auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        p.setColor(QPalette::Disabled, role, QColor(0xa0, 0xa0, 0xa5));
    return p;
}

QPalette AppearanceController::darkPalette() {
    QPalette p;
    const QColor window(0x23, 0x23, 0x26), text(0xf2, 0xf2, 0xf7), accent(0x3d, 0x8b, 0xf2);
    p.setColor(QPalette::Window, window);
    p.setColor(QPalette::WindowText, text);
    p.setColor(QPalette::Base, QColor(0x1b, 0x1b, 0x1d));
    p.setColor(QPalette::AlternateBase, QColor(0x2c, 0x2c, 0x2f));
    p.setColor(QPalette::ToolTipBase, QColor(0x2c, 0x2c, 0x2f));
    p.setColor(QPalette::ToolTipText, text);
    p.setColor(QPalette::PlaceholderText, QColor(0x8e, 0x8e, 0x93));
    p.setColor(QPalette::Text, text);
    p.setColor(QPalette::Button, QColor(0x32, 0x32, 0x36));
    p.setColor(QPalette::ButtonText, text);
    p.setColor(QPalette::BrightText, QColor(0xff, 0x6b, 0x6b));
    p.setColor(QPalette::Light, QColor(0x48, 0x48, 0x4c));
    p.setColor(QPalette::Midlight, QColor(0x3a, 0x3a, 0x3e));
    p.setColor(QPalette::Mid, QColor(0x2a, 0x2a, 0x2d));
    p.setColor(QPalette::Dark, QColor(0x15, 0x15, 0x17));
    p.setColor(QPalette::Shadow, Qt::black);
    p.setColor(QPalette::Highlight, accent);
    p.setColor(QPalette::HighlightedText, Qt::white);
    p.setColor(QPalette::Link, QColor(0x6c, 0xa8, 0xff));
    p.setColor(QPalette::LinkVisited, QColor(0xb0, 0x8c, 0xf0));
    for (auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        p.setColor(QPalette::Disabled, role, QColor(0x6e, 0x6e, 0x73));
    return p;
}

} // namespace velmora
