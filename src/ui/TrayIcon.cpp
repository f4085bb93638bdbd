#include "ui/TrayIcon.h"

#include "app/AppState.h"
#include "ui/UiResources.h"

namespace velmora {

namespace {

QIcon themed(const QString& name, const QString& fallback) {
    return QIcon::fromTheme(name, QIcon(fallback));
}

} // namespace

TrayIcon::TrayIcon(AppState& state, TrayMenuModel model, QObject* parent)
    : QObject(parent), state_(state), model_(std::move(model)) {
    UiResources::load();
    menu_.setTitle(QStringLiteral("Velmora"));
    icon_.setContextMenu(&menu_);
    connect(&menu_, &QMenu::aboutToShow, this, &TrayIcon::rebuildMenu);
    connect(&state_, &AppState::captureStateChanged, this, &TrayIcon::followState);
    connect(&state_, &AppState::captionSourceNameChanged, this, &TrayIcon::followState);
    // A click on the item shows the menu too on desktops that send activation instead.
    connect(&icon_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::Trigger)
            menu_.popup(QCursor::pos());
    });
    followState();
    // The menu must have its entries before the first opening: some hosts read it at once.
    rebuildMenu();
}

QIcon TrayIcon::iconFor(TrayMenuModel::Icon icon) {
    switch (icon) {
    case TrayMenuModel::Icon::error:
        return themed(QStringLiteral("dialog-warning"), QStringLiteral(":/velmora/icons/tray-error.svg"));
    case TrayMenuModel::Icon::capturing:
        return themed(QStringLiteral("media-record"), QStringLiteral(":/velmora/icons/tray-capturing.svg"));
    case TrayMenuModel::Icon::watching:
        return QIcon(QStringLiteral(":/velmora/icons/tray-watching.svg"));
    }
    Q_UNREACHABLE();
}

void TrayIcon::followState() {
    icon_.setIcon(iconFor(TrayMenuModel::iconFor(state_.captureState())));
    icon_.setToolTip(model_.toolTip());
}

void TrayIcon::rebuildMenu() { fill(menu_, model_.entries()); }

void TrayIcon::fill(QMenu& menu, const QList<MenuEntry>& entries) {
    // Submenus are children of the menu; they go with the entries that showed them.
    for (QMenu* submenu : menu.findChildren<QMenu*>(Qt::FindDirectChildrenOnly))
        submenu->deleteLater();
    menu.clear();
    for (const MenuEntry& entry : entries) {
        switch (entry.kind) {
        case MenuEntry::Kind::action:
            QObject::connect(menu.addAction(entry.text), &QAction::triggered, &menu, entry.trigger);
            break;
        case MenuEntry::Kind::text:
            menu.addAction(entry.text)->setEnabled(false);
            break;
        case MenuEntry::Kind::separator:
            menu.addSeparator();
            break;
        case MenuEntry::Kind::submenu: {
            auto* submenu = new QMenu(entry.text, &menu);
            fill(*submenu, entry.children);
            menu.addMenu(submenu);
            break;
        }
        }
    }
}

} // namespace velmora
