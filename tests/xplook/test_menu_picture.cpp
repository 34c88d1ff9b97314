#include "common/ui/drawn_picture.h"
#include "look_palettes.h"
#include "xplook/xp_menu.h"
#include "xplook/xp_menu_style.h"

#include <QApplication>
#include <QMenu>
#include <QPainter>
#include <cstdlib>
#include <gtest/gtest.h>

using namespace qm::xp;

namespace {

// The launcher's View menu as its command table has it.
std::vector<MenuTemplateItem> LauncherViewMenu()
{
    MenuTemplateItem view{"&View", 0, true, false, false, {}};
    view.items = {{"&Singleplayer Missions\tCtrl+S", 1, false, true, true, {}},
                  {"&Multiplayer Missions\tCtrl+M", 2, false, true, true, {}},
                  {"M&ODs\tCtrl+O", 3, false, true, true, {}},
                  {"", 0, false, false, false, {}},
                  {"&Refresh\tF5", 4, false, false, false, {}},
                  {"&Options...", 5, false, false, false, {}}};
    return {view};
}

QIcon Arrows()
{
    return qm::ui::DrawnIcon(QSize(20, 20), [](QPainter& p) {
        p.setPen(QPen(QColor(30, 110, 40), 2));
        p.drawArc(QRectF(4, 4, 12, 12), 30 * 16, 300 * 16);
        p.setBrush(QColor(30, 110, 40));
        p.drawPolygon(QPolygonF({{14, 2}, {18, 7}, {12, 8}}));
    });
}

// The opened drop-down as a person sees it.
QImage ShowDropDown(XpMenu& menu, QWidget& owner)
{
    QMenu* view = menu.dropDown(QStringLiteral("&View"));
    view->setPalette(qm::xp::test::DistinctPalette());
    menu.action(1)->setChecked(true);
    menu.action(5)->setEnabled(false);
    view->popup(owner.mapToGlobal(QPoint(0, 0)));
    QApplication::processEvents();
    QImage img = view->grab().toImage();
    view->hide();
    return img;
}

void SaveScreenshot(const QImage& img, const char* name)
{
    if (const char* dir = std::getenv("QM_SCREENSHOT_DIR"))
        img.save(QString::fromLocal8Bit(dir) + QLatin1Char('/') + QLatin1String(name));
}

// The widest run of body-coloured columns between the first and the last
// drawn column of one item's text area.
int WidestGap(const QImage& img, const QRect& text, const QColor& body)
{
    int first = -1, last = -1;
    std::vector<bool> inked(static_cast<size_t>(img.width()), false);
    for (int x = text.left(); x <= text.right(); ++x)
        for (int y = text.top(); y <= text.bottom(); ++y)
            if (img.pixelColor(x, y) != body) {
                inked[static_cast<size_t>(x)] = true;
                first = first < 0 ? x : first;
                last = x;
            }
    int widest = 0, run = 0;
    for (int x = first; x >= 0 && x <= last; ++x) {
        run = inked[static_cast<size_t>(x)] ? 0 : run + 1;
        widest = std::max(widest, run);
    }
    return widest;
}

TEST(MenuPicture, WidestLabelAndItsKeyStayApartOnScreen)
{
    QWidget owner;
    owner.resize(300, 200);
    for (const int xpLook : {1, 0}) {
        SCOPED_TRACE(xpLook ? "XP" : "classic");
        XpMenu menu(xpLook);
        menu.style()->setDisplayDepth(32);
        ASSERT_TRUE(menu.LoadMenu(LauncherViewMenu(), &owner));
        menu.LoadToolbar({MakePictureStrip({Arrows()}, menu.cell()), menu.cell(), {4}});
        const QImage img = ShowDropDown(menu, owner);
        SaveScreenshot(img, xpLook ? "xp-menu-xp.png" : "xp-menu-classic.png");

        QMenu* view = menu.dropDown(QStringLiteral("&View"));
        const QRect item = view->actionGeometry(menu.action(1));
        const QColor body = xpLook ? qm::xp::test::DistinctPalette().color(QPalette::Window)
                                   : qm::xp::test::DistinctPalette().color(QPalette::Button);
        const QRect text(item.left() + menu.cell().width() + 9, item.top() + 2,
                         item.width() - 2 * menu.cell().width() - 9, item.height() - 4);
        // A blank inside the label is a few pixels; label and key are set apart by more.
        EXPECT_GE(WidestGap(img, text, body), 6) << "label runs into its key";
    }
}

} // namespace
