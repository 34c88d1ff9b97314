#pragma once

#include <QFont>
#include <QRect>
#include <QSize>

namespace playdeck {

// The dialog font of the old templates ("MS Sans Serif" 8): the desktop's
// sans-serif font at 8 points.
QFont DialogFont();
// Dialog units to pixels by the Windows rule on font: x = units * average
// character width / 4, y = units * character height / 8.
QSize DialogUnitsToPixels(QSize units, const QFont& font);
// A control's place in a dialog template, in pixels.
QRect DialogUnitsToRect(QRect units, const QFont& font);

} // namespace playdeck
