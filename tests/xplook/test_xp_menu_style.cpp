#include "look_palettes.h"
#include "xplook/sys_colours.h"
#include "xplook/xp_menu_style.h"

#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QStyleOptionMenuItem>
#include <gtest/gtest.h>

using namespace qm::xp;
using qm::xp::test::DistinctPalette;
using qm::xp::test::EqualPalette;

namespace {

constexpr int kW = 220;
constexpr int kH = 24;

QStyleOptionMenuItem Item(const QString& text, const QPalette& pal, bool enabled = true,
                          bool selected = false)
{
    QStyleOptionMenuItem o;
    o.rect = QRect(0, 0, kW, kH);
    o.palette = pal;
    o.text = text;
    o.menuItemType = QStyleOptionMenuItem::Normal;
    o.checkType = QStyleOptionMenuItem::NotCheckable;
    o.state = QStyle::State_None;
    if (enabled)
        o.state |= QStyle::State_Enabled;
    if (selected)
        o.state |= QStyle::State_Selected;
    return o;
}

QImage Paint(XpMenuStyle& style, const QStyleOptionMenuItem& item)
{
    QImage img(item.rect.size(), QImage::Format_RGB32);
    img.fill(Qt::magenta);
    QPainter p(&img);
    style.drawControl(QStyle::CE_MenuItem, &item, &p);
    return img;
}

// A checked item "A" in the XP look on a 32-bit screen.
QImage PaintChecked(const QPalette& pal, QStyleOptionMenuItem::CheckType type)
{
    XpMenuStyle style(true);
    style.setDisplayDepth(32);
    QStyleOptionMenuItem item = Item("A", pal);
    item.checkType = type;
    item.checked = true;
    return Paint(style, item);
}

QColor At(const QImage& img, int x, int y)
{
    return img.pixelColor(x, y);
}

bool HasColour(const QImage& img, const QRect& area, const QColor& c)
{
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (img.pixelColor(x, y) == c)
                return true;
    return false;
}

QIcon SolidPicture(QSize size, const QColor& c)
{
    QPixmap pm(size);
    pm.fill(c);
    return QIcon(pm);
}

} // namespace

TEST(Lighten, FractionsOutsideTheRangeLeaveTheColour)
{
    const QColor c(10, 100, 200);
    EXPECT_EQ(Lighten(c, 0.0), c);
    EXPECT_EQ(Lighten(c, 1.5), c);
    EXPECT_EQ(Lighten(c, -0.3), c);
    EXPECT_EQ(Lighten(Qt::black, 0.5), QColor(127, 127, 127));
    EXPECT_EQ(Lighten(c, 1.0), QColor(255, 255, 255));
    // Truncated, not rounded: 200 + 0.35 * 55 = 219.25.
    EXPECT_EQ(Lighten(c, 0.35).blue(), 219);
}

TEST(XpMenuDrawing, SelectedItemIsLightenedHighlightWithOnePixelBorder)
{
    XpMenuStyle style(true);
    style.setDisplayDepth(32);
    for (const QPalette& pal : {DistinctPalette(), EqualPalette()}) {
        const bool distinct = pal.color(QPalette::Button) != pal.color(QPalette::Window);
        const QColor hl = pal.color(QPalette::Highlight);
        const QImage img = Paint(style, Item("A", pal, true, true));
        const QColor fill = Lighten(hl, distinct ? 0.7 : 0.85);
        EXPECT_EQ(At(img, 150, 12), fill) << distinct;
        EXPECT_EQ(At(img, 5, 12), fill) << "the icon column is selected too";
        for (QPoint border : {QPoint(0, 0), QPoint(kW - 1, kH - 1), QPoint(100, 0),
                              QPoint(100, kH - 1), QPoint(0, 12), QPoint(kW - 1, 12)})
            EXPECT_EQ(At(img, border.x(), border.y()), hl) << border.x() << "," << border.y();
        EXPECT_EQ(At(img, 1, 1), fill) << "the border is one pixel wide";
    }
}

TEST(XpMenuDrawing, BodyAndIconColumn)
{
    XpMenuStyle style(true);
    style.setDisplayDepth(32);
    const QPalette distinct = DistinctPalette();
    QImage img = Paint(style, Item("A", distinct));
    EXPECT_EQ(At(img, 150, 12), distinct.color(QPalette::Window));
    EXPECT_EQ(At(img, 0, 12), distinct.color(QPalette::Button));
    EXPECT_EQ(At(img, 24, 12), distinct.color(QPalette::Button)) << "column is iconWidth + 5";
    EXPECT_EQ(At(img, 25, 12), distinct.color(QPalette::Window));

    // Face equal to menu: a white body and a 35 % lighter icon column.
    const QPalette equal = EqualPalette();
    img = Paint(style, Item("A", equal));
    EXPECT_EQ(At(img, 150, 12), QColor(Qt::white));
    EXPECT_EQ(At(img, 10, 12), Lighten(equal.color(QPalette::Button), 0.35));
}

TEST(XpMenuDrawing, SeparatorLineStartsRightOfTheIconColumn)
{
    XpMenuStyle style(true);
    style.setDisplayDepth(32);
    const QPalette pal = DistinctPalette();
    QStyleOptionMenuItem sep = Item(QString(), pal);
    sep.menuItemType = QStyleOptionMenuItem::Separator;
    sep.rect = QRect(0, 0, kW, 3);
    const QImage img = Paint(style, sep);
    EXPECT_EQ(At(img, 29, 0), pal.color(QPalette::Dark)) << "etched line from L + iconWidth + 9";
    EXPECT_EQ(At(img, kW - 1, 0), pal.color(QPalette::Dark));
    EXPECT_EQ(At(img, 100, 1), pal.color(QPalette::Light));
    EXPECT_EQ(At(img, 27, 0), pal.color(QPalette::Window));
    EXPECT_EQ(At(img, 100, 2), pal.color(QPalette::Window));
    EXPECT_EQ(At(img, 3, 1), pal.color(QPalette::Button));
}

TEST(XpMenuDrawing, TickHasSevenColumnsOfThreePixels)
{
    const QPalette pal = DistinctPalette();
    const QImage img = PaintChecked(pal, QStyleOptionMenuItem::NonExclusive);
    const QColor mark = pal.color(QPalette::WindowText);
    const QColor cell = Lighten(pal.color(QPalette::Highlight), 0.85);
    // t = (24 - 20 - 4) / 2 = 0: the check cell's corner is (2, 2), the mark's (7, 6).
    EXPECT_EQ(At(img, 2, 2), pal.color(QPalette::Highlight));
    EXPECT_EQ(At(img, 3, 3), cell);
    const int tops[7] = {2, 3, 4, 3, 2, 1, 0};
    for (int i = 0; i < 7; ++i) {
        const int x = 7 + i;
        for (int y = 6; y < 6 + 8; ++y) {
            const bool inTick = y >= 6 + tops[i] && y < 6 + tops[i] + 3;
            EXPECT_EQ(At(img, x, y) == mark, inTick) << "column " << i << " row " << y;
        }
    }
    for (int y = 3; y < 20; ++y) {
        EXPECT_NE(At(img, 6, y), mark);
        EXPECT_NE(At(img, 14, y), mark);
    }
}

TEST(XpMenuDrawing, RadioItemShowsADot)
{
    const QPalette pal = DistinctPalette();
    const QImage img = PaintChecked(pal, QStyleOptionMenuItem::Exclusive);
    const QColor mark = pal.color(QPalette::WindowText);
    EXPECT_EQ(At(img, 7, 6), mark);
    EXPECT_EQ(At(img, 12, 11), mark);
    EXPECT_NE(At(img, 13, 11), mark);
    EXPECT_NE(At(img, 7, 12), mark);
}

TEST(XpMenuDrawing, DisabledItemUnderTheMouseIsDrawnUnselected)
{
    XpMenuStyle style(true);
    style.setDisplayDepth(32);
    for (const QPalette& pal : {DistinctPalette(), EqualPalette()}) {
        const QImage hovered = Paint(style, Item("&Play", pal, false, true));
        const QImage plain = Paint(style, Item("&Play", pal, false, false));
        EXPECT_EQ(hovered, plain);
        EXPECT_FALSE(HasColour(hovered, hovered.rect(), pal.color(QPalette::Highlight)));
    }
    // Its text is Windows' grey text (128,128,128), whatever the palette says:
    // plain when distinct, lightened by 55 % otherwise, to (197,197,197).
    const QPalette pal = DistinctPalette();
    const QColor grey(128, 128, 128);
    QImage img = Paint(style, Item("MMMM", pal, false));
    EXPECT_TRUE(HasColour(img, QRect(29, 0, 60, kH), grey));
    img = Paint(style, Item("MMMM", EqualPalette(), false));
    EXPECT_TRUE(HasColour(img, QRect(29, 0, 60, kH), Lighten(grey, 0.55)));
    EXPECT_FALSE(HasColour(img, QRect(29, 0, 60, kH), grey));
    EXPECT_EQ(Lighten(grey, 0.55), QColor(197, 197, 197));
}

TEST(XpMenuDrawing, KeyIsRightAlignedInsetByTheCellWidth)
{
    XpMenuStyle style(true);
    style.setDisplayDepth(32);
    const QPalette pal = DistinctPalette();
    const QImage img = Paint(style, Item("Save\tCtrl+S", pal));
    const QColor body = pal.color(QPalette::Window);
    int rightmost = -1;
    for (int x = 0; x < kW; ++x)
        for (int y = 1; y < kH - 1; ++y)
            if (x > 100 && At(img, x, y) != body)
                rightmost = std::max(rightmost, x);
    EXPECT_LE(rightmost, kW - 1 - 20);
    EXPECT_GE(rightmost, kW - 1 - 20 - 3);
}

TEST(XpMenuDrawing, DisabledPictureIsEmbossed)
{
    XpMenuStyle style(true);
    style.setDisplayDepth(32);
    const QPalette pal = DistinctPalette();
    QStyleOptionMenuItem item = Item("A", pal, false);
    item.icon = SolidPicture(kXpCell, Qt::red);
    const QImage img = Paint(style, item);
    // Picture at (3, 2): the shadow shape in place, the highlight shape one pixel down-right.
    EXPECT_EQ(At(img, 10, 10), pal.color(QPalette::Dark));
    EXPECT_EQ(At(img, 3 + 20, 2 + 20), pal.color(QPalette::Light));
    EXPECT_FALSE(HasColour(img, img.rect(), Qt::red));
    // Enabled, the picture shows as it is.
    item.state |= QStyle::State_Enabled;
    EXPECT_EQ(At(Paint(style, item), 10, 10), QColor(Qt::red));
}

TEST(ClassicMenuDrawing, SelectedItemUsesHighlightColours)
{
    XpMenuStyle style(false);
    const QPalette pal = DistinctPalette();
    const QImage img = Paint(style, Item("MMMM", pal, true, true));
    EXPECT_EQ(At(img, 10, 12), pal.color(QPalette::Button)) << "the icon column keeps the face";
    EXPECT_EQ(At(img, 16 + 5, 12), pal.color(QPalette::Highlight));
    EXPECT_EQ(At(img, 200, 12), pal.color(QPalette::Highlight));
    const QRect text(16 + 9, 0, 60, kH);
    EXPECT_TRUE(HasColour(img, text, pal.color(QPalette::HighlightedText)));
    EXPECT_FALSE(HasColour(img, text, pal.color(QPalette::WindowText)));

    const QImage normal = Paint(style, Item("MMMM", pal));
    EXPECT_EQ(At(normal, 200, 12), pal.color(QPalette::Button));
    EXPECT_TRUE(HasColour(normal, text, pal.color(QPalette::WindowText)));
}

TEST(ClassicMenuDrawing, DisabledTextIsEmbossed)
{
    XpMenuStyle style(false);
    const QPalette pal = DistinctPalette();
    const QImage img = Paint(style, Item("MMMM", pal, false));
    const QRect text(16 + 9, 0, 60, kH);
    EXPECT_TRUE(HasColour(img, text, QColor(128, 128, 128)));
    // The highlight copy shows as pixels far lighter than the face (anti-aliased).
    bool lit = false;
    for (int y = 0; y < kH; ++y)
        for (int x = text.left(); x <= text.right(); ++x)
            lit = lit || img.pixelColor(x, y).green() > 240;
    EXPECT_TRUE(lit);
}

TEST(ClassicMenuDrawing, PaletteDisplayFallsBackToClassic)
{
    XpMenuStyle style(true);
    style.setDisplayDepth(8);
    EXPECT_FALSE(style.drawsXp());
    const QPalette pal = DistinctPalette();
    const QImage img = Paint(style, Item("A", pal, true, true));
    EXPECT_EQ(At(img, 200, 12), pal.color(QPalette::Highlight));
    style.setDisplayDepth(16);
    EXPECT_TRUE(style.drawsXp());
}

TEST(MenuMeasuring, SeparatorsAndItems)
{
    const QPalette pal = DistinctPalette();
    QStyleOptionMenuItem sep = Item(QString(), pal);
    sep.menuItemType = QStyleOptionMenuItem::Separator;
    XpMenuStyle xp(true);
    xp.setDisplayDepth(32);
    XpMenuStyle classic(false);
    EXPECT_EQ(xp.measureItem(sep), QSize(0, 3));
    EXPECT_EQ(classic.measureItem(sep), QSize(0, MenuItemBaseHeight() / 2));

    const QStyleOptionMenuItem item = Item("&Refresh", pal);
    const int textWidth = QFontMetrics(MenuFont()).horizontalAdvance(QStringLiteral("Refresh"));
    EXPECT_EQ(xp.measureItem(item).width(), textWidth + 2 * 20 + 1);
    EXPECT_EQ(classic.measureItem(item).width(), textWidth + 2 * 16 + 1);
    EXPECT_EQ(xp.measureItem(item).height(), std::max(MenuItemBaseHeight(), 24));
    EXPECT_EQ(classic.measureItem(item).height(), std::max(MenuItemBaseHeight(), 19));
}
