#include "flat_fixture.h"
#include "xplook/sys_colours.h"
#include "xplook/xp_menu.h"
#include "xplook/xp_menu_style.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSlider>
#include <QSpinBox>
#include <QStandardItemModel>
#include <QStyleOptionComplex>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>

using namespace qm::xp;
using qm::xp::test::FlatLookTest;

namespace {

enum Id { kPicture = 1, kPlain, kDisabled, kChecked, kRadio, kDisabledPicture, kKey, kDeep };

std::vector<MenuTemplateItem> EveryKindOfItem()
{
    MenuTemplateItem level{"&Level", 0, true, false, false, {}};
    MenuTemplateItem sub{"&More", 0, true, false, false, {}};
    sub.items = {{"&Deep", kDeep, false, false, false, {}}};
    level.items = {{"&Play", kPicture, false, false, false, {}},
                   {"P&lain", kPlain, false, false, false, {}},
                   {"&Disabled", kDisabled, false, false, false, {}},
                   {},
                   {"&Checked", kChecked, false, true, false, {}},
                   {"&Radio", kRadio, false, false, true, {}},
                   {"&View", kDisabledPicture, false, false, false, {}},
                   {"&Save\tCtrl+S", kKey, false, false, false, {}},
                   sub};
    return {level};
}

struct ShownMenu {
    QWidget owner;
    XpMenu menu;
    QMenu* popup = nullptr;
    explicit ShownMenu(int look) : menu(look)
    {
        menu.LoadMenu(EveryKindOfItem(), &owner);
        const QSize cell = menu.cell();
        QPixmap strip(cell.width() * 2, cell.height());
        strip.fill(Qt::red);
        menu.LoadToolbar({strip, cell, {kPicture, kDisabledPicture}});
        menu.action(kDisabled)->setEnabled(false);
        menu.action(kDisabledPicture)->setEnabled(false);
        menu.action(kChecked)->setChecked(true);
        menu.action(kRadio)->setChecked(true);
        popup = menu.dropDown("&Level");
        menu.style()->setDisplayDepth(32);
        popup->popup(QPoint(50, 50));
        QApplication::processEvents();
    }
    ~ShownMenu() { popup->hide(); }
    QRect geometry(int id) const { return popup->actionGeometry(menu.action(id)); }
};

QColor C(QPalette::ColorRole role)
{
    return qm::xp::test::DistinctPalette().color(role);
}

} // namespace

// Every kind of item, drawn in a real popup, shows the look's colours where
// its rules put them.
TEST_F(FlatLookTest, XpMenuPaintsEveryItemKind)
{
    ShownMenu shown(1);
    shown.popup->setActiveAction(shown.menu.action(kPlain));
    const QImage img = shown.popup->grab().toImage();
    const QColor selection = Lighten(C(QPalette::Highlight), 0.7);

    EXPECT_EQ(img.pixelColor(0, 0), C(QPalette::Dark)) << "one-pixel menu border";
    for (int id : {kPicture, kDisabled, kChecked, kRadio, kDisabledPicture, kKey}) {
        const QRect g = shown.geometry(id);
        EXPECT_EQ(img.pixelColor(g.right() - 2, g.center().y()), C(QPalette::Window)) << id;
    }
    const QRect plain = shown.geometry(kPlain);
    EXPECT_EQ(img.pixelColor(plain.right() - 2, plain.center().y()), selection);
    EXPECT_EQ(img.pixelColor(plain.left(), plain.top()), C(QPalette::Highlight));
    EXPECT_EQ(shown.geometry(kKey).height(), std::max(MenuItemBaseHeight(), 24));

    const QRect pic = shown.geometry(kPicture);
    const int t = std::max(0, (pic.height() - 24) / 2);
    EXPECT_EQ(img.pixelColor(pic.left() + 1, pic.center().y()), C(QPalette::Button));
    EXPECT_EQ(img.pixelColor(pic.left() + 3 + 10, pic.top() + t + 2 + 10), QColor(Qt::red));
    const QRect dis = shown.geometry(kDisabledPicture);
    EXPECT_EQ(img.pixelColor(dis.left() + 3 + 10, dis.top() + t + 2 + 10), C(QPalette::Dark));

    const QRect chk = shown.geometry(kChecked);
    // First tick column: 2 below the mark's corner, which is (5, 4) into the check cell.
    EXPECT_EQ(img.pixelColor(chk.left() + 2 + 5, chk.top() + t + 2 + 4 + 2),
              C(QPalette::WindowText));
    EXPECT_EQ(img.pixelColor(chk.left() + 2, chk.top() + t + 2), C(QPalette::Highlight));
    const QRect radio = shown.geometry(kRadio);
    EXPECT_EQ(img.pixelColor(radio.left() + 2 + 5 + 3, radio.top() + t + 2 + 4 + 3),
              C(QPalette::WindowText));

    // The separator: a thin line right of the icon column.
    QAction* sep = shown.popup->actions()[3];
    const QRect s = shown.popup->actionGeometry(sep);
    EXPECT_EQ(s.height(), 3);
    EXPECT_EQ(img.pixelColor(s.left() + 29 + 5, s.top()), C(QPalette::Dark));
    EXPECT_EQ(img.pixelColor(s.left() + 2, s.top() + 1), C(QPalette::Button));

    // A disabled item under the mouse stays unselected.
    shown.popup->setActiveAction(shown.menu.action(kDisabled));
    const QImage hovered = shown.popup->grab().toImage();
    const QRect d = shown.geometry(kDisabled);
    EXPECT_EQ(hovered.pixelColor(d.right() - 2, d.center().y()), C(QPalette::Window));
}

TEST_F(FlatLookTest, ClassicMenuPaintsEveryItemKind)
{
    ShownMenu shown(0);
    shown.popup->setActiveAction(shown.menu.action(kPlain));
    const QImage img = shown.popup->grab().toImage();
    for (int id : {kPicture, kDisabled, kChecked, kKey}) {
        const QRect g = shown.geometry(id);
        EXPECT_EQ(img.pixelColor(g.right() - 2, g.center().y()), C(QPalette::Button)) << id;
    }
    const QRect plain = shown.geometry(kPlain);
    EXPECT_EQ(img.pixelColor(plain.right() - 2, plain.center().y()), C(QPalette::Highlight));
    EXPECT_EQ(img.pixelColor(plain.left() + 2, plain.center().y()), C(QPalette::Button));
    const QRect chk = shown.geometry(kChecked);
    const int t = std::max(0, (chk.height() - 19) / 2);
    EXPECT_EQ(img.pixelColor(chk.left() + 1, chk.top() + t + 1), C(QPalette::Dark))
        << "a checked cell is sunken";
    EXPECT_EQ(img.pixelColor(chk.left() + 3, chk.top() + t + 3), C(QPalette::Midlight));
    QAction* sep = shown.popup->actions()[3];
    const QRect s = shown.popup->actionGeometry(sep);
    EXPECT_EQ(s.height(), MenuItemBaseHeight() / 2);
    EXPECT_EQ(img.pixelColor(s.center().x(), s.top() + s.height() / 2 - 1), C(QPalette::Dark));
}

// Every kind of control the flat look takes, at rest, hot and disabled.
TEST_F(FlatLookTest, FlatLookPaintsEveryControlKind)
{
    QDialog dlg;
    auto* holder = new QPushButton("Holder", &dlg);
    holder->setGeometry(330, 320, 80, 24);
    auto* combo = new QComboBox(&dlg);
    combo->addItems({"one", "two"});
    combo->setGeometry(10, 10, 120, 22);
    auto* push = new QPushButton("Push", &dlg);
    push->setGeometry(140, 10, 80, 24);
    auto* def = new QPushButton("Default", &dlg);
    def->setDefault(true);
    def->setGeometry(230, 10, 80, 24);
    auto* toggled = new QPushButton("On", &dlg);
    toggled->setCheckable(true);
    toggled->setChecked(true);
    toggled->setGeometry(320, 10, 80, 24);
    auto* check = new QCheckBox("Check", &dlg);
    check->setGeometry(10, 40, 100, 20);
    auto* partial = new QCheckBox("Partial", &dlg);
    partial->setTristate(true);
    partial->setCheckState(Qt::PartiallyChecked);
    partial->setGeometry(120, 40, 100, 20);
    auto* radio = new QRadioButton("Radio", &dlg);
    radio->setGeometry(230, 40, 100, 20);
    auto* spin = new QSpinBox(&dlg);
    spin->setGeometry(10, 70, 80, 24);
    auto* bar = new QScrollBar(Qt::Vertical, &dlg);
    bar->setRange(0, 100);
    bar->setPageStep(10);
    bar->setGeometry(390, 40, 16, 150);
    auto* slider = new QSlider(Qt::Horizontal, &dlg);
    slider->setGeometry(100, 70, 150, 24);
    auto* table = new QTableView(&dlg);
    auto* model = new QStandardItemModel(2, 2, table);
    table->setModel(model);
    table->setGeometry(10, 100, 250, 100);
    auto* tabs = new QTabWidget(&dlg);
    tabs->addTab(new QWidget, "First");
    tabs->addTab(new QWidget, "Second");
    tabs->setGeometry(10, 210, 250, 100);
    open(dlg);

    for (QWidget* w : std::initializer_list<QWidget*>{
             combo, push, def, toggled, check, partial, radio, spin, bar, slider, table,
             table->horizontalHeader(), tabs, tabs->tabBar()})
        ASSERT_NE(manager().controlOf(w), nullptr) << w->metaObject()->className();
    EXPECT_EQ(manager().controlOf(holder)->kind(), ControlKind::PushButton);

    const QColor face = C(QPalette::Button), dark = C(QPalette::Dark), lit = C(QPalette::Light),
                 dk = C(QPalette::Shadow), mid = C(QPalette::Midlight), base = C(QPalette::Base);

    // Combo: the edit frame and the raised drop-down button; hot turns it pressed-looking.
    const int extent = combo->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, combo);
    const QRect button(combo->width() - 2 - extent, 2, extent, combo->height() - 4);
    QImage img = shot(combo);
    EXPECT_EQ(img.pixelColor(0, 5), dark);
    EXPECT_EQ(img.pixelColor(button.left(), button.center().y()), lit);
    EXPECT_EQ(img.pixelColor(button.right(), button.center().y()), dark);
    hover(combo);
    img = shot(combo);
    EXPECT_EQ(img.pixelColor(button.left(), button.center().y()), face);
    EXPECT_EQ(img.pixelColor(button.right(), button.center().y()), dk);
    EXPECT_EQ(img.pixelColor(1, 5), dk);

    // Buttons: plain, default, checked, then plain when hot.
    const int cy = 12;
    img = shot(push);
    EXPECT_EQ(img.pixelColor(0, cy), lit);
    EXPECT_EQ(img.pixelColor(79, cy), dark);
    EXPECT_EQ(img.pixelColor(78, cy), face);
    img = shot(def);
    EXPECT_EQ(img.pixelColor(0, cy), dk);
    EXPECT_EQ(img.pixelColor(79, cy), dk);
    EXPECT_EQ(img.pixelColor(1, cy), lit);
    img = shot(toggled);
    EXPECT_EQ(img.pixelColor(0, cy), dark);
    EXPECT_EQ(img.pixelColor(79, cy), lit);
    hover(push);
    img = shot(push);
    EXPECT_EQ(img.pixelColor(79, cy), dk);
    EXPECT_EQ(img.pixelColor(78, cy), dark);
    EXPECT_EQ(img.pixelColor(1, cy), mid);
    EXPECT_FALSE(manager().controlOf(combo)->state() & kStateHot) << "hot moved on";

    // Check boxes: a 13 x 13 box, white inside, highlight when indeterminate.
    auto boxOf = [](QCheckBox* b) {
        QStyleOptionButton opt;
        opt.initFrom(b);
        return QRect(b->style()->subElementRect(QStyle::SE_CheckBoxIndicator, &opt, b).center() -
                         QPoint(6, 6),
                     QSize(13, 13));
    };
    QRect box = boxOf(check);
    img = shot(check);
    EXPECT_EQ(img.pixelColor(box.topLeft()), dark);
    EXPECT_EQ(img.pixelColor(box.bottomRight()), lit);
    EXPECT_EQ(img.pixelColor(box.topLeft() + QPoint(1, 5)), base);
    EXPECT_EQ(shot(partial).pixelColor(boxOf(partial).topLeft() + QPoint(1, 5)), lit);
    hover(check);
    EXPECT_EQ(shot(check).pixelColor(box.topLeft()), dk);

    // Radio: outer upper-left arc shaded, inner arc white at rest and darkest when hot.
    QStyleOptionButton ropt;
    ropt.initFrom(radio);
    const QPoint corner =
        radio->style()->subElementRect(QStyle::SE_RadioButtonIndicator, &ropt, radio).center() -
        QPoint(5, 5);
    img = shot(radio);
    EXPECT_EQ(img.pixelColor(corner + QPoint(0, 5)), dark);
    EXPECT_EQ(img.pixelColor(corner + QPoint(1, 5)), base);
    hover(radio);
    EXPECT_EQ(shot(radio).pixelColor(corner + QPoint(1, 5)), dk);

    // Spin box: one frame round edit and arrows, each arrow half raised.
    QStyleOptionSpinBox sopt;
    sopt.initFrom(spin);
    sopt.frame = true;
    sopt.subControls = QStyle::SC_SpinBoxUp;
    const QRect up =
        spin->style()->subControlRect(QStyle::CC_SpinBox, &sopt, QStyle::SC_SpinBoxUp, spin);
    img = shot(spin);
    EXPECT_EQ(img.pixelColor(0, 10), dark);
    EXPECT_EQ(img.pixelColor(79, 10), lit);
    EXPECT_EQ(img.pixelColor(up.left(), up.center().y()), lit);
    EXPECT_EQ(img.pixelColor(up.right(), up.center().y()), dark);
    hover(spin);
    EXPECT_EQ(shot(spin).pixelColor(up.right(), up.center().y()), dk);

    // Scroll bar: raised arrows, a light track, the thumb at the top for value 0.
    const int arrow = bar->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, bar);
    img = shot(bar);
    EXPECT_EQ(img.pixelColor(0, arrow / 2), lit);
    EXPECT_EQ(img.pixelColor(15, arrow / 2), dark);
    EXPECT_EQ(img.pixelColor(5, arrow), lit) << "thumb's top edge";
    EXPECT_EQ(img.pixelColor(8, 149 - arrow - 3), mid) << "track";
    bar->setEnabled(false);
    img = shot(bar);
    EXPECT_EQ(img.pixelColor(5, arrow + 3), mid) << "a disabled bar has no thumb";

    // Trackbar: a sunken channel and a raised thumb.
    img = shot(slider);
    QStyleOptionSlider slopt;
    slopt.initFrom(slider);
    slopt.orientation = Qt::Horizontal;
    slopt.maximum = slider->maximum();
    const QRect handle =
        slider->style()->subControlRect(QStyle::CC_Slider, &slopt, QStyle::SC_SliderHandle, slider);
    EXPECT_EQ(img.pixelColor(handle.topLeft()), lit);
    EXPECT_EQ(img.pixelColor(handle.bottomRight()), dark);
    EXPECT_EQ(img.pixelColor(handle.center()), face);
    // With ticks below, the thumb points down: lit top, shaded tip.
    slider->setTickPosition(QSlider::TicksBelow);
    slopt.tickPosition = QSlider::TicksBelow;
    const QRect pointed =
        slider->style()->subControlRect(QStyle::CC_Slider, &slopt, QStyle::SC_SliderHandle, slider);
    img = shot(slider);
    EXPECT_EQ(img.pixelColor(pointed.center().x(), pointed.top()), lit);
    const int tipX = pointed.left() + (pointed.right() - pointed.left()) / 2;
    EXPECT_EQ(img.pixelColor(tipX + 2, pointed.bottom() - 2), dark) << "right slope";
    EXPECT_EQ(img.pixelColor(tipX - 2, pointed.bottom() - 2), lit) << "left slope";
    EXPECT_EQ(img.pixelColor(pointed.right(), pointed.top() + 2), dark);

    // Header: raised sections; the one under the mouse gets the darkest edge.
    QHeaderView* header = table->horizontalHeader();
    const int size = header->sectionSize(0);
    img = shot(header);
    EXPECT_EQ(img.pixelColor(0, header->height() / 2), lit);
    EXPECT_EQ(img.pixelColor(size - 1, header->height() / 2), dark);
    manager().PollHoverAt(header->viewport()->mapToGlobal(QPoint(5, 5)));
    EXPECT_EQ(manager().controlOf(header)->hotItem(), 0);
    EXPECT_TRUE(manager().controlOf(table)->state() & kStateHot) << "the list follows its header";
    EXPECT_EQ(shot(header).pixelColor(size - 1, header->height() / 2), dk);
    img = shot(table);
    EXPECT_EQ(img.pixelColor(0, 50), dark) << "the list's own edit-like frame";
    EXPECT_EQ(img.pixelColor(1, 50), dk) << "hot while its header is";
    hoverAway();
    EXPECT_FALSE(manager().controlOf(table)->state() & kStateHot);

    // Tabs and their page.
    QTabBar* tabBar = tabs->tabBar();
    const QRect first = tabBar->tabRect(0);
    img = shot(tabBar);
    EXPECT_EQ(img.pixelColor(first.left(), first.center().y()), lit);
    EXPECT_EQ(img.pixelColor(first.right(), first.center().y()), dark);
    QStyleOptionTabWidgetFrame topt;
    topt.initFrom(tabs);
    const QRect pane = tabs->style()->subElementRect(QStyle::SE_TabWidgetTabPane, &topt, tabs);
    img = shot(tabs);
    EXPECT_EQ(img.pixelColor(pane.left(), pane.center().y()), dark);
    EXPECT_EQ(img.pixelColor(pane.left() + 1, pane.center().y()), face);

    // Disabled controls go flat grey.
    combo->setEnabled(false);
    hoverAway();
    EXPECT_EQ(shot(combo).pixelColor(button.left(), button.center().y()), face);
    check->setEnabled(false);
    EXPECT_EQ(shot(check).pixelColor(boxOf(check).topLeft() + QPoint(1, 5)), face);
}
