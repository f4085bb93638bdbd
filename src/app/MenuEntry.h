#pragma once

#include <QList>
#include <QString>

#include <functional>

namespace velmora {

// One line of the tray menu, independent of the toolkit that draws it.
struct MenuEntry {
    enum class Kind {
        action,    // clickable
        text,      // a line of information, shown greyed
        separator,
        submenu,
    };

    Kind kind = Kind::action;
    QString text;
    std::function<void()> trigger; // actions only
    QList<MenuEntry> children;     // submenus only

    static MenuEntry action(QString text, std::function<void()> trigger) {
        return {Kind::action, std::move(text), std::move(trigger), {}};
    }
    static MenuEntry info(QString text) { return {Kind::text, std::move(text), {}, {}}; }
    static MenuEntry separator() { return {Kind::separator, {}, {}, {}}; }
    static MenuEntry submenu(QString text, QList<MenuEntry> children) {
        return {Kind::submenu, std::move(text), {}, std::move(children)};
    }
};

} // namespace velmora
