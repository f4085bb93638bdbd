#pragma once

#include "app/MenuEntry.h"
#include "app/TrayMenuModel.h"

#include <QIcon>
#include <QMenu>
#include <QObject>
#include <QSystemTrayIcon>

namespace velmora {

class AppState;

// The tray item: its icon and tooltip follow the capture state, and its menu is rebuilt from
// the menu model every time it opens.
class TrayIcon final : public QObject {
    Q_OBJECT
public:
    TrayIcon(AppState& state, TrayMenuModel model, QObject* parent = nullptr);

    void show() { icon_.show(); }
    QMenu& menu() { return menu_; }
    QSystemTrayIcon& systemTrayIcon() { return icon_; }

    // The desktop's themed icon when it has one, else ours, so the item is never blank.
    static QIcon iconFor(TrayMenuModel::Icon icon);
    // Replaces the menu's entries with `entries`.
    static void fill(QMenu& menu, const QList<MenuEntry>& entries);

private:
    void rebuildMenu();
    void followState();

    AppState& state_;
    TrayMenuModel model_;
    QMenu menu_;
    QSystemTrayIcon icon_;
};

} // namespace velmora
