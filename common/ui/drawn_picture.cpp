#include "common/ui/drawn_picture.h"

#include <QGuiApplication>
#include <QPainter>
#include <vector>

namespace qm::ui {

qreal ScreenPixelRatio()
{
    return qGuiApp ? qGuiApp->devicePixelRatio() : 1.0;
}

QPixmap DevicePixmap(QSize logical, qreal ratio)
{
    if (ratio <= 0)
        ratio = ScreenPixelRatio();
    QPixmap pm(logical * ratio);
    pm.setDevicePixelRatio(ratio);
    pm.fill(Qt::transparent);
    return pm;
}

QIcon DrawnIcon(QSize logical, const std::function<void(QPainter&)>& draw)
{
    QIcon icon;
    std::vector<qreal> ratios{1.0, 2.0};
    if (const qreal screen = ScreenPixelRatio(); screen != 1.0 && screen != 2.0)
        ratios.push_back(screen);
    for (qreal ratio : ratios) {
        QPixmap pm = DevicePixmap(logical, ratio);
        QPainter p(&pm);
        p.setRenderHint(QPainter::Antialiasing);
        draw(p);
        p.end();
        icon.addPixmap(pm);
    }
    return icon;
}

} // namespace qm::ui
