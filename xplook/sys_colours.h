#pragma once

#include <QColor>
#include <QPalette>

namespace qm::xp {

// The Windows system colours both looks are written in. Their values come
// from the application palette through the one mapping in GetSysColor.
enum SysColour {
    COLOR_BTNFACE,
    COLOR_3DFACE = COLOR_BTNFACE,
    COLOR_BTNSHADOW,
    COLOR_BTNHIGHLIGHT,
    COLOR_3DDKSHADOW,
    COLOR_3DLIGHT,
    COLOR_BTNTEXT,
    COLOR_WINDOW,
    COLOR_MENU,
    COLOR_MENUTEXT,
    COLOR_HIGHLIGHT,
    COLOR_HIGHLIGHTTEXT,
    COLOR_GRAYTEXT,
};

// The colour of a system colour index in a palette (the application palette
// when none is given).
QColor GetSysColor(SysColour index, const QPalette& palette);
QColor GetSysColor(SysColour index);

// Each channel c becomes c + f * (255 - c), truncated, for 0 < f <= 1; any
// other fraction leaves the colour as it is.
QColor Lighten(const QColor& colour, double fraction);

} // namespace qm::xp
