#include "launcher/ui/pictures.h"

#include "common/ui/drawn_picture.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <cstring>

namespace playdeck {

namespace {

void person(QPainter& p, QPointF at, QColor colour)
{
    p.setPen(QPen(colour.darker(160), 1));
    p.setBrush(colour);
    p.drawEllipse(QRectF(at.x() - 3, at.y(), 6, 6));
    QPainterPath body;
    body.moveTo(at.x() - 5.5, at.y() + 14);
    body.quadTo(at.x() - 5.5, at.y() + 7, at.x(), at.y() + 7);
    body.quadTo(at.x() + 5.5, at.y() + 7, at.x() + 5.5, at.y() + 14);
    body.closeSubpath();
    p.drawPath(body);
}

void drawPicture(QPainter& p, const char* name)
{
    const QColor red(178, 34, 34);
    if (!std::strcmp(name, "single")) {
        person(p, {11, 3}, QColor(70, 110, 200));
    } else if (!std::strcmp(name, "multi")) {
        person(p, {15, 2}, QColor(200, 120, 50));
        person(p, {8, 5}, QColor(70, 110, 200));
    } else if (!std::strcmp(name, "mods")) {
        p.setPen(QPen(QColor(150, 110, 20), 1));
        p.setBrush(QColor(240, 200, 90));
        p.drawRect(QRectF(2.5, 6.5, 17, 12));
        p.drawRect(QRectF(2.5, 4.5, 7, 2));
        p.setPen(QPen(red, 2));
        p.drawPolyline(QPolygonF({{6, 16}, {6, 10}, {11, 14}, {16, 10}, {16, 16}}));
    } else if (!std::strcmp(name, "play")) {
        p.setPen(QPen(QColor(20, 100, 20), 1));
        p.setBrush(QColor(60, 170, 60));
        p.drawPolygon(QPolygonF({{6, 3}, {19, 11}, {6, 19}}));
    } else if (!std::strcmp(name, "shortcut")) {
        p.setPen(QPen(Qt::black, 1));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(3.5, 7.5, 12, 12));
        p.setPen(QPen(QColor(40, 80, 200), 2));
        p.setBrush(Qt::NoBrush);
        QPainterPath arrow;
        arrow.moveTo(7, 17);
        arrow.quadTo(7, 8, 16, 7);
        p.drawPath(arrow);
        p.drawPolyline(QPolygonF({{13, 3.5}, {17, 7}, {13, 10.5}}));
    } else if (!std::strcmp(name, "view")) {
        p.setPen(QPen(QColor(60, 60, 60), 2));
        p.setBrush(QColor(200, 230, 255));
        p.drawEllipse(QRectF(3, 3, 11, 11));
        p.setPen(QPen(QColor(90, 60, 30), 3, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(13, 13), QPointF(19, 19));
    } else if (!std::strcmp(name, "edit")) {
        p.setPen(QPen(QColor(60, 60, 60), 1));
        p.setBrush(QColor(250, 200, 60));
        p.drawPolygon(QPolygonF({{5, 14}, {15, 4}, {18, 7}, {8, 17}}));
        p.setBrush(QColor(240, 200, 160));
        p.drawPolygon(QPolygonF({{5, 14}, {8, 17}, {3, 19}}));
    }
}

} // namespace

QIcon ToolbarPicture(const char* name)
{
    return qm::ui::DrawnIcon(QSize(kToolbarPictureSize, kToolbarPictureSize),
                             [name](QPainter& p) { drawPicture(p, name); });
}

QPixmap SplashLargePicture(QSize size)
{
    QPixmap pm = qm::ui::DevicePixmap(size);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, size.height());
    sky.setColorAt(0, QColor(30, 20, 20));
    sky.setColorAt(0.6, QColor(120, 30, 20));
    sky.setColorAt(1, QColor(200, 90, 30));
    p.fillRect(QRect(QPoint(), size), sky);
    // A ridge of red rock, the game's planet.
    QPainterPath ridge;
    const double w = size.width(), h = size.height();
    ridge.moveTo(0, h);
    ridge.lineTo(0, h * 0.72);
    ridge.lineTo(w * 0.2, h * 0.6);
    ridge.lineTo(w * 0.38, h * 0.7);
    ridge.lineTo(w * 0.6, h * 0.52);
    ridge.lineTo(w * 0.8, h * 0.66);
    ridge.lineTo(w, h * 0.58);
    ridge.lineTo(w, h);
    p.fillPath(ridge, QColor(70, 20, 15));
    QFont big = p.font();
    big.setBold(true);
    big.setPixelSize(qMax(10, size.height() / 7));
    p.setFont(big);
    p.setPen(QColor(255, 220, 160));
    p.drawText(QRectF(0, h * 0.12, w, h * 0.2), Qt::AlignHCenter, QStringLiteral("PLAYDECK32"));
    QFont small = big;
    small.setBold(false);
    small.setPixelSize(qMax(8, size.height() / 16));
    p.setFont(small);
    p.drawText(QRectF(0, h * 0.33, w, h * 0.12), Qt::AlignHCenter,
               QStringLiteral("Quorvel Manager"));
    return pm;
}

QPixmap SplashSmallPicture(QSize size)
{
    QPixmap pm = qm::ui::DevicePixmap(size);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(120, 20, 20), 2));
    p.setBrush(QColor(230, 230, 230));
    p.drawEllipse(QRectF(1, 1, size.width() - 2, size.height() - 2));
    QFont f = p.font();
    f.setBold(true);
    f.setPixelSize(qMax(8, size.height() / 3));
    p.setFont(f);
    p.setPen(QColor(120, 20, 20));
    p.drawText(QRect(QPoint(), size), Qt::AlignCenter, QStringLiteral("QM"));
    return pm;
}

} // namespace playdeck
