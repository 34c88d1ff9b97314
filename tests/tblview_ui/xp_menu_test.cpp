// The viewer's menus in the XP look: recent files stay in step with the menu.
#include "common/settings.h"
#include "support/temp_world.h"
#include "tblview/ui/gridlens_app.h"
#include "tblview/ui/main_frame.h"
#include "xplook/xp_menu.h"
#include "xplook/xp_menu_style.h"

#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <gtest/gtest.h>

using namespace gridlens;

namespace {

class ViewerMenuTest : public qm::test::TempWorldTest {
protected:
    void TearDown() override { app.reset(); }
    void start()
    {
        app = std::make_unique<CGRIDLENS32LApp>();
        ASSERT_EQ(app->InitInstance({}), CGRIDLENS32LApp::Start::Run);
    }
    qm::xp::XpMenu* menu() const
    {
        return app->mainFrame()->findChild<qm::xp::XpMenu*>(QString(), Qt::FindDirectChildrenOnly);
    }
    QMenu* fileMenu() const { return app->mainFrame()->menuBar()->actions()[0]->menu(); }
    std::unique_ptr<CGRIDLENS32LApp> app;
};

} // namespace

TEST_F(ViewerMenuTest, RecentFilesJoinTheMenuItemsWhenItOpens)
{
    const std::string a = world.writeFile("weapons.tbl", "#A\r\n");
    const std::string b = world.writeFile("ships.tbl", "#B\r\n");
    start();
    ASSERT_NE(menu(), nullptr);
    EXPECT_EQ(menu()->cell(), QSize(20, 20));
    for (QAction* top : app->mainFrame()->menuBar()->actions())
        EXPECT_TRUE(qm::xp::XpMenu::IsLibraryMenu(top->menu()));
    ASSERT_TRUE(app->OpenDocumentFile(QString::fromStdString(a)));
    ASSERT_TRUE(app->OpenDocumentFile(QString::fromStdString(b)));

    QMenu* file = fileMenu();
    file->popup(QPoint(20, 20));
    QApplication::processEvents();
    qm::xp::XpMenu* owner = menu()->menuOf(file);
    ASSERT_NE(owner, nullptr);
    ASSERT_EQ(owner->items().size(), static_cast<size_t>(file->actions().size()));
    QStringList texts;
    for (const qm::xp::XpMenuItem& item : owner->items())
        texts << item.text;
    EXPECT_TRUE(texts.contains(QStringLiteral("&1 ") + QString::fromStdString(b)));
    EXPECT_TRUE(texts.contains(QStringLiteral("&2 ") + QString::fromStdString(a)));
    // "&2" is the older file's mnemonic.
    const int answer = menu()->MenuChar('2', file);
    ASSERT_NE(answer, 0);
    EXPECT_EQ(file->actions()[answer & 0xffff]->text(),
              QStringLiteral("&2 ") + QString::fromStdString(a));
    // Open's picture comes from the toolbar.
    EXPECT_FALSE(owner->items()[0].picture.isNull());
    file->hide();
}

TEST_F(ViewerMenuTest, SettingChoosesTheClassicLook)
{
    qm::WriteRegDword(qm::HKEY_CURRENT_USER, std::string(kProfileKey) + "\\Settings",
                      "DisableXPMenuStyle", 1);
    start();
    ASSERT_NE(menu(), nullptr);
    EXPECT_EQ(menu()->cell(), QSize(16, 15));
    EXPECT_FALSE(menu()->style()->xpLook());
}
