#pragma once

#include "app/AppearanceMode.h"

#include <QFont>
#include <QObject>
#include <QPalette>
#include <QSettings>

class QApplication;

namespace velmora {

class AppState;

// The look of the whole application: the palette of the appearance mode (System keeps the
// desktop's palette, Light and Dark set one, on the Fusion style so that every widget follows
// it) and every font scaled by the zoom level. The GUI's composition creates one, which applies
// the stored mode and the current zoom at once and follows AppState's zoom level from then on.
// Main thread.
class AppearanceController final : public QObject {
    Q_OBJECT
public:
    AppearanceController(QApplication& application, QSettings& settings, AppState& appState,
                         QObject* parent = nullptr);

    AppearanceMode mode() const { return mode_; }
    // Stores the mode under "appearanceMode" and applies it to every window at once.
    void setMode(AppearanceMode mode);
    double textScale() const;

    static QPalette lightPalette();
    static QPalette darkPalette();

signals:
    void modeChanged(velmora::AppearanceMode mode);

private:
    void applyPalette();
    void applyFonts();

    QApplication& application_;
    QSettings& settings_;
    AppState& appState_;
    AppearanceMode mode_;
    QPalette systemPalette_;
    QFont systemFont_;
};

} // namespace velmora
