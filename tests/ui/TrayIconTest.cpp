#include "ui/TrayIcon.h"

#include <QCoreApplication>
#include <QEvent>
#include <QMenu>

#include <gtest/gtest.h>

using namespace velmora;

namespace {

TEST(TrayIconTest, MenuEntriesBecomeActionsTextsAndSubmenusAndARebuildReplacesThem) {
    QMenu menu;
    int opened = 0;
    TrayIcon::fill(menu, {MenuEntry::action(QStringLiteral("Open Velmora"), [&] { ++opened; }),
                          MenuEntry::separator(), MenuEntry::info(QStringLiteral("Transcript saved")),
                          MenuEntry::submenu(QStringLiteral("Your Meetings"),
                                             {MenuEntry::info(QStringLiteral("No meetings yet"))})});
    const QList<QAction*> actions = menu.actions();
    ASSERT_EQ(actions.size(), 4);
    actions[0]->trigger();
    EXPECT_EQ(opened, 1);
    EXPECT_TRUE(actions[1]->isSeparator());
    EXPECT_FALSE(actions[2]->isEnabled());
    ASSERT_TRUE(actions[3]->menu());
    EXPECT_EQ(actions[3]->menu()->actions().front()->text(), QStringLiteral("No meetings yet"));

    TrayIcon::fill(menu, {MenuEntry::action(QStringLiteral("Quit Velmora"), [] {})});
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(menu.actions().size(), 1);
    EXPECT_TRUE(menu.findChildren<QMenu*>().isEmpty()) << "old submenus are not kept";
}

TEST(TrayIconTest, EveryStateHasAnIcon) {
    for (const auto icon : {TrayMenuModel::Icon::error, TrayMenuModel::Icon::capturing, TrayMenuModel::Icon::watching})
        EXPECT_FALSE(TrayIcon::iconFor(icon).pixmap(22, 22).isNull());
}

} // namespace
