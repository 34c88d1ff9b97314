#include "common/settings.h"
#include "support/temp_world.h"
#include "xplook/xp_menu.h"
#include "xplook/xp_menu_style.h"

#include <QApplication>
#include <QFontMetrics>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QSignalSpy>
#include <gtest/gtest.h>

using namespace qm::xp;

namespace {

std::vector<MenuTemplateItem> SampleBar()
{
    MenuTemplateItem file{"&File", 0, true, false, false, {}};
    file.items = {{"&Open...\tCtrl+O", 10, false, false, false, {}},
                  {"&Save\tCtrl+S", 11, false, false, false, {}},
                  {"", 0, false, false, false, {}},
                  {"E&xit", 12, false, false, false, {}}};
    MenuTemplateItem view{"&View", 0, true, false, false, {}};
    MenuTemplateItem more{"&More", 0, true, false, false, {}};
    more.items = {{"&Deep", 30, false, false, false, {}}};
    view.items = {{"&Single\tF2", 20, false, false, true, {}},
                  {"&Multi\tF3", 21, false, false, true, {}},
                  {"&Toolbar", 22, false, true, false, {}},
                  more};
    return {file, view};
}

QPixmap Strip(const std::vector<QColor>& colours, QSize cell)
{
    QPixmap strip(cell.width() * static_cast<int>(colours.size()), cell.height());
    QPainter p(&strip);
    for (size_t i = 0; i < colours.size(); ++i)
        p.fillRect(QRect(QPoint(static_cast<int>(i) * cell.width(), 0), cell), colours[i]);
    return strip;
}

QColor PictureColour(const QAction* a, QSize cell)
{
    return a->icon().pixmap(cell).toImage().pixelColor(cell.width() / 2, cell.height() / 2);
}

} // namespace

class XpMenuSetting : public qm::test::TempWorldTest {};

TEST_F(XpMenuSetting, DisableXPMenuStyleChoosesLookAndCell)
{
    const std::string key = "Software\\Quorvel Network\\Quorvel Manager GRIDLENS32L\\Settings";
    EXPECT_EQ(ReadXpLook(key), 1) << "missing: the XP look";
    ASSERT_TRUE(qm::WriteRegDword(qm::HKEY_CURRENT_USER, key, "DisableXPMenuStyle", 1));
    EXPECT_EQ(ReadXpLook(key), 0);
    ASSERT_TRUE(qm::WriteRegDword(qm::HKEY_CURRENT_USER, key, "DisableXPMenuStyle", 0));
    EXPECT_EQ(ReadXpLook(key), 1);

    XpMenu classic(0), xp(1), odd(-1);
    EXPECT_EQ(classic.cell(), QSize(16, 15));
    EXPECT_FALSE(classic.style()->xpLook());
    EXPECT_EQ(xp.cell(), QSize(20, 20));
    EXPECT_TRUE(xp.style()->xpLook());
    EXPECT_FALSE(odd.xpLook()) << "only exactly 1 is the XP look";
}

TEST(XpMenuLoad, BuildsPlainBarWithOwnerDrawnDropDowns)
{
    QWidget owner;
    XpMenu menu(1);
    ASSERT_TRUE(menu.LoadMenu(SampleBar(), &owner));
    QMenuBar* bar = menu.menuBar();
    ASSERT_NE(bar, nullptr);
    ASSERT_EQ(bar->actions().size(), 2);
    EXPECT_EQ(bar->actions()[0]->text(), "&File");
    EXPECT_NE(bar->style(), menu.style()) << "the bar's items stay plain";

    QMenu* file = menu.dropDown("&File");
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(file->style(), menu.style());
    EXPECT_TRUE(XpMenu::IsLibraryMenu(file));
    QMenu foreign;
    EXPECT_FALSE(XpMenu::IsLibraryMenu(&foreign));
    ASSERT_EQ(file->actions().size(), 4);
    EXPECT_TRUE(file->actions()[2]->isSeparator());

    QMenu* view = menu.dropDown("&View");
    ASSERT_NE(view, nullptr);
    QMenu* more = view->actions()[3]->menu();
    ASSERT_NE(more, nullptr);
    EXPECT_TRUE(XpMenu::IsLibraryMenu(more));
    EXPECT_EQ(menu.action(30)->text(), "&Deep") << "found in sub-menus";
    EXPECT_TRUE(menu.action(20)->actionGroup() != nullptr) << "radio items";
    EXPECT_TRUE(menu.action(22)->isCheckable());
    EXPECT_FALSE(menu.LoadMenu({}, &owner));

    QSignalSpy spy(&menu, &XpMenu::commandTriggered);
    menu.action(30)->trigger();
    ASSERT_EQ(spy.size(), 1);
    EXPECT_EQ(spy[0][0].toInt(), 30);
}

TEST(XpMenuLoad, KeysOfALevelStartInOneColumn)
{
    const QFontMetrics fm(MenuFont());
    auto width = [&fm](QString s) { return fm.horizontalAdvance(s.remove('&')); };
    std::vector<QString> texts = {"&Open a rather long name\tCtrl+O", "&Save\tCtrl+S", "E&xit",
                                  "&Wider label without any key at all"};
    const int w = width(texts[3] + ' ');
    AlignAcceleratorColumn(texts);
    EXPECT_EQ(texts[2], "E&xit");
    EXPECT_EQ(texts[3], "&Wider label without any key at all");
    for (int i : {0, 1}) {
        const QString label = texts[i].left(texts[i].indexOf('\t'));
        EXPECT_GE(width(label), w) << i;
        EXPECT_LT(width(label.chopped(1)), w) << "no more blanks than needed";
    }
    EXPECT_TRUE(texts[1].endsWith("\tCtrl+S"));

    // Built menus carry the padded texts.
    QWidget owner;
    XpMenu menu(1);
    menu.LoadMenu(SampleBar(), &owner);
    const QString open = menu.action(10)->text(), save = menu.action(11)->text();
    const int gap = width(open.left(open.indexOf('\t'))) - width(save.left(save.indexOf('\t')));
    EXPECT_LT(std::abs(gap), fm.horizontalAdvance(' '));
}

TEST(XpMenuLoad, ToolbarPicturesGoToTheirCommands)
{
    QWidget owner;
    for (int look : {1, 0}) {
        XpMenu menu(look);
        menu.LoadMenu(SampleBar(), &owner);
        const QSize cell = look ? QSize(20, 20) : QSize(16, 15);
        ToolbarPictures pictures{
            Strip({Qt::red, Qt::green, Qt::blue}, cell), cell, {10, 0, 11, 99}};
        EXPECT_TRUE(menu.LoadToolbar(pictures));
        EXPECT_EQ(PictureColour(menu.action(10), cell), QColor(Qt::red));
        EXPECT_EQ(PictureColour(menu.action(11), cell), QColor(Qt::green))
            << "separators take no picture";
        EXPECT_TRUE(menu.action(12)->icon().isNull());
        EXPECT_EQ(menu.action(10)->icon().availableSizes().value(0), cell);
    }
    XpMenu menu(1);
    menu.LoadMenu(SampleBar(), &owner);
    EXPECT_FALSE(menu.LoadToolbar({Strip({Qt::red}, {20, 20}), {20, 20}, {77}}));
    EXPECT_FALSE(menu.LoadToolbar({QPixmap(), {20, 20}, {10}}));
    EXPECT_FALSE(menu.ModifyItem("x", 4242, QPixmap()));
}

TEST(XpMenuLoad, BoundActionsForwardAndFollowState)
{
    QWidget owner;
    XpMenu menu(1);
    menu.LoadMenu(SampleBar(), &owner);
    QAction target("Toolbar");
    target.setCheckable(true);
    menu.BindAction(22, &target);
    QSignalSpy spy(&target, &QAction::triggered);
    menu.action(22)->trigger();
    EXPECT_EQ(spy.size(), 1);
    EXPECT_TRUE(target.isChecked());
    EXPECT_TRUE(menu.action(22)->isChecked());
    target.setChecked(false);
    EXPECT_FALSE(menu.action(22)->isChecked());
    target.setEnabled(false);
    EXPECT_FALSE(menu.action(22)->isEnabled());
}

TEST(XpMenuSynchronise, RecentFileEntriesFollowTheirMenu)
{
    QWidget owner;
    XpMenu menu(1);
    menu.LoadMenu(SampleBar(), &owner);
    QMenu* file = menu.dropDown("&File");
    XpMenu* fileMenu = menu.menuOf(file);
    ASSERT_NE(fileMenu, nullptr);
    menu.ModifyItem(menu.GetItemText(10), 10, Strip({Qt::red}, {20, 20}));

    // The program puts two recent files and a separator before "Exit".
    QAction* exit = menu.action(12);
    QAction one("&1 weapons.tbl"), two("&2 ships.tbl");
    file->insertAction(exit, &one);
    file->insertAction(exit, &two);
    file->insertSeparator(exit);
    menu.Synchronise(file);
    ASSERT_EQ(fileMenu->items().size(), 7u);
    EXPECT_EQ(fileMenu->items()[3].text, "&1 weapons.tbl");
    EXPECT_EQ(fileMenu->items()[4].text, "&2 ships.tbl");
    EXPECT_TRUE(fileMenu->items()[5].separator);
    EXPECT_EQ(fileMenu->items()[6].commandId, 12);
    EXPECT_FALSE(fileMenu->items()[0].picture.isNull()) << "matched items keep their data";

    // Renamed and removed entries.
    one.setText("&1 ammo.tbl");
    file->removeAction(&two);
    menu.Synchronise(file);
    ASSERT_EQ(fileMenu->items().size(), 6u);
    EXPECT_EQ(fileMenu->items()[3].text, "&1 ammo.tbl");
    EXPECT_TRUE(fileMenu->items()[4].separator);
}

TEST(XpMenuSynchronise, MnemonicLookup)
{
    QWidget owner;
    XpMenu menu(1);
    menu.LoadMenu(SampleBar(), &owner);
    QMenu* file = menu.dropDown("&File");
    EXPECT_EQ(menu.MenuChar('x', file), 3 | (2 << 16));
    EXPECT_EQ(menu.MenuChar('X', file), 3 | (2 << 16));
    EXPECT_EQ(menu.MenuChar('o', file), 0 | (2 << 16));
    EXPECT_EQ(menu.MenuChar('q', file), 0) << "no match: the default applies";
    QMenu foreign;
    EXPECT_EQ(menu.MenuChar('o', &foreign), 0);

    // An entry the program added is found: the popup is synchronised first.
    QAction recent("&1 weapons.tbl");
    file->insertAction(menu.action(12), &recent);
    EXPECT_EQ(menu.MenuChar('1', file), 3 | (2 << 16));

    // A doubled ampersand is a literal one, not a mnemonic.
    QAction literal("&2 R&&D.tbl");
    file->insertAction(menu.action(12), &literal);
    EXPECT_EQ(menu.MenuChar('d', file), 0);
    EXPECT_EQ(menu.MenuChar('2', file), 4 | (2 << 16));
}

TEST(XpMenuLoad, ProgramActionsAndPopupStayTheProgramsOwn)
{
    auto* program = new QMenu("&Level");
    QAction play("&Play selected level");
    play.setShortcut(QKeySequence(Qt::Key_F9));
    QPixmap blue(22, 22);
    blue.fill(Qt::blue);
    play.setIcon(QIcon(blue));
    play.setIconVisibleInMenu(false);
    QAction create("&Create shortcut to level");
    {
        XpMenu menu(1);
        MenuTemplateItem level{"&Level", 0, true, false, false, {}, nullptr};
        level.items = {{"&Play selected level\tF9", 5, false, false, false, {}, &play},
                       {"&Create shortcut to level", 6, false, false, false, {}, &create}};
        ASSERT_TRUE(menu.LoadPopup(level, program));
        EXPECT_TRUE(XpMenu::IsLibraryMenu(program));
        EXPECT_EQ(program->style(), menu.style());
        ASSERT_EQ(program->actions().size(), 2);
        EXPECT_EQ(program->actions()[0], &play);
        EXPECT_EQ(play.text(), "&Play selected level") << "the program's text stays";
        EXPECT_TRUE(menu.LoadToolbar({Strip({Qt::red}, {20, 20}), {20, 20}, {5}}));
        EXPECT_EQ(PictureColour(&play, {22, 22}), QColor(Qt::blue)) << "toolbar icon kept";

        // The menu draws the strip's picture, not the action's icon.
        program->popup(QPoint(10, 10));
        QApplication::processEvents();
        const QImage shot = program->grab().toImage();
        const QRect g = program->actionGeometry(&play);
        const int t = std::max(0, (g.height() - 24) / 2);
        EXPECT_EQ(shot.pixelColor(g.left() + 3 + 10, g.top() + t + 2 + 10), QColor(Qt::red));
        const QRect c = program->actionGeometry(&create);
        EXPECT_NE(shot.pixelColor(c.left() + 3 + 10, c.top() + t + 2 + 10), QColor(Qt::red));
        program->hide();
    }
    // The program's popup outlives the menu object and is its plain self again.
    EXPECT_EQ(program->actions().size(), 2);
    delete program;
}
