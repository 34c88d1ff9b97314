#include "launcher_fixture.h"
#include "xplook/flat_look.h"
#include "xplook/xp_menu.h"
#include "xplook/xp_menu_style.h"

#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>

namespace playdeck::test {

namespace {

// The frame's two menu objects: the bar's and the list pop-up's.
QList<qm::xp::XpMenu*> MenusOf(CMainFrame* frame)
{
    return frame->findChildren<qm::xp::XpMenu*>(Qt::FindDirectChildrenOnly);
}

} // namespace

TEST_F(LauncherTest, StartUpDrawsMenusInTheXpLookWithToolbarPictures)
{
    ASSERT_NE(start(), nullptr);
    const auto menus = MenusOf(frame);
    ASSERT_EQ(menus.size(), 2);
    for (QAction* top : frame->menuBar()->actions())
        EXPECT_TRUE(qm::xp::XpMenu::IsLibraryMenu(top->menu())) << top->text().toStdString();
    EXPECT_TRUE(qm::xp::XpMenu::IsLibraryMenu(frame->levelPopup()));
    EXPECT_EQ(menus[0]->cell(), QSize(20, 20));
    EXPECT_TRUE(menus[0]->style()->xpLook());

    // The menu shows the frame's own commands, and the pictures of the toolbar.
    EXPECT_EQ(menus[0]->action(static_cast<int>(CommandId::LevelPlay)),
              frame->action(CommandId::LevelPlay));
    qm::xp::XpMenu* level = menus[1]->menuOf(frame->levelPopup());
    ASSERT_NE(level, nullptr);
    ASSERT_FALSE(level->items().empty());
    EXPECT_EQ(level->items()[0].picture.size(), QSize(20, 20));
    EXPECT_EQ(level->items()[0].imageIndex, 3) << "Play is the fourth picture of the toolbar";
    // The mnemonic lookup finds "&Create shortcut to level".
    EXPECT_EQ(level->MenuChar('c', frame->levelPopup()), 1 | (2 << 16));
}

TEST_F(LauncherTest, DisableXPMenuStyleGivesTheClassicLook)
{
    setDword("DisableXPMenuStyle", 1);
    ASSERT_NE(start(), nullptr);
    const auto menus = MenusOf(frame);
    ASSERT_EQ(menus.size(), 2);
    EXPECT_EQ(menus[0]->cell(), QSize(16, 15));
    EXPECT_FALSE(menus[1]->style()->xpLook());
}

TEST_F(LauncherTest, DialogsOfTheLauncherGetTheFlatLook)
{
    ASSERT_NE(start(), nullptr);
    auto& look = qm::xp::FlatLookManager::Instance();
    EXPECT_TRUE(look.hooked());
    EXPECT_EQ(look.mode(), qm::xp::HookMode::OnDialogInit);
    EXPECT_EQ(look.controlOf(view), nullptr) << "the main window's list keeps its look";
    QDialog dlg(frame);
    auto* edit = new QLineEdit(&dlg);
    dlg.show();
    QApplication::processEvents();
    EXPECT_NE(look.controlOf(edit), nullptr);
}

} // namespace playdeck::test
