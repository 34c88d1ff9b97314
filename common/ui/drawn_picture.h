#pragma once

#include <QIcon>
#include <QPixmap>
#include <QSize>
#include <functional>

class QPainter;

namespace qm::ui {

// The screen's device pixel ratio (2 on a screen scaled to 200 %), 1 without
// a screen.
qreal ScreenPixelRatio();

// A transparent pixmap of a logical size with room for ratio device pixels
// per logical one (the screen's when ratio is 0). Painted in logical
// coordinates, it shows sharp instead of being stretched by the screen.
QPixmap DevicePixmap(QSize logical, qreal ratio = 0);

// An icon drawn by code at 1x, 2x and the screen's ratio: an icon made from
// one small pixmap is blurred at 200 %, this one is drawn again.
QIcon DrawnIcon(QSize logical, const std::function<void(QPainter&)>& draw);

} // namespace qm::ui
