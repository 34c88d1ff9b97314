#include "common/ui/drawn_picture.h"
#include "look_palettes.h"
#include "xplook/xp_menu.h"
#include "xplook/xp_menu_style.h"

#include <QApplication>
#include <QMenu>
#include <QPainter>
#include <gtest/gtest.h>

using namespace qm::xp;

namespace {

// The diagonal drawn at 2x is a line of single black device pixels. Stretched
// from 1x it is either two pixels thick (black 2 x 2 blocks) or blurred grey
// (hardly a black pixel left).
bool SharpAt2x(const QImage& img, const QRect& device)
{
    auto black = [&img](int x, int y) { return img.pixel(x, y) == qRgb(0, 0, 0); };
    int count = 0;
    for (int y = device.top(); y <= device.bottom(); ++y)
        for (int x = device.left(); x <= device.right(); ++x) {
            if (!black(x, y))
                continue;
            ++count;
            if (x < device.right() && y < device.bottom() && black(x + 1, y) &&
                black(x, y + 1) && black(x + 1, y + 1))
                return false;
        }
    return count >= device.width() / 2;
}

// A thin diagonal, one device pixel wide at any ratio.
QIcon Diagonal()
{
    return qm::ui::DrawnIcon(kXpCell, [](QPainter& p) {
        p.setRenderHint(QPainter::Antialiasing, false);
        p.setPen(QPen(Qt::black, 0));
        p.drawLine(QPointF(2, 2), QPointF(17, 17));
    });
}

// Run by ctest with QT_SCALE_FACTOR=2 (xplook_high_dpi); skipped at 1x.
TEST(HighDpi, MenuPicturesAreDrawnAtTheScreensRatio)
{
    if (qApp->devicePixelRatio() < 2)
        GTEST_SKIP() << "needs QT_SCALE_FACTOR=2";
    XpMenuStyle style(true);
    style.setDisplayDepth(32);
    QMenu menu;
    menu.setStyle(&style);
    menu.setPalette(qm::xp::test::DistinctPalette());
    QAction* play = menu.addAction(Diagonal(), QStringLiteral("&Play"));
    menu.adjustSize();
    const QImage img = menu.grab().toImage();
    ASSERT_GE(img.devicePixelRatio(), 2.0);
    // The picture sits at (left + 3, top + t + 2) of its item.
    const QRect item = menu.actionGeometry(play);
    const int t = std::max(0, (item.height() - kXpCell.height() - 4) / 2);
    const QRect cell(item.topLeft() + QPoint(3, t + 2), kXpCell);
    const qreal r = img.devicePixelRatio();
    const QRect device(QPoint(qRound(cell.left() * r), qRound(cell.top() * r)), cell.size() * r);
    EXPECT_TRUE(SharpAt2x(img, device)) << "the picture was stretched from 1x";
    menu.setStyle(nullptr);

    // The toolbar strip the menus take their pictures from is as fine.
    const QPixmap strip = MakePictureStrip({Diagonal(), Diagonal()}, kXpCell);
    EXPECT_EQ(strip.devicePixelRatio(), qApp->devicePixelRatio());
    EXPECT_EQ(strip.deviceIndependentSize().toSize(), QSize(2 * kXpCell.width(), kXpCell.height()));
    EXPECT_TRUE(SharpAt2x(strip.toImage(), QRect(QPoint(), strip.size())));
}

} // namespace
