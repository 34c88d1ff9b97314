#include "xplook/sys_colours.h"

#include <QApplication>

namespace qm::xp {

QColor GetSysColor(SysColour index, const QPalette& palette)
{
    switch (index) {
    case COLOR_BTNFACE: // the 3D face of buttons and dialogs
        return palette.color(QPalette::Active, QPalette::Button);
    case COLOR_BTNSHADOW: // the shaded side of a 3D edge, one step darker than the face
        return palette.color(QPalette::Active, QPalette::Dark);
    case COLOR_BTNHIGHLIGHT: // the lit side of a 3D edge
        return palette.color(QPalette::Active, QPalette::Light);
    case COLOR_3DDKSHADOW: // the outermost, darkest shaded edge
        return palette.color(QPalette::Active, QPalette::Shadow);
    case COLOR_3DLIGHT: // the inner lit edge, between face and highlight
        return palette.color(QPalette::Active, QPalette::Midlight);
    case COLOR_BTNTEXT: // text on a button face
        return palette.color(QPalette::Active, QPalette::ButtonText);
    case COLOR_WINDOW: // the body of edits and lists
        return palette.color(QPalette::Active, QPalette::Base);
    case COLOR_MENU: // a menu's body is the window background in Qt's styles
        return palette.color(QPalette::Active, QPalette::Window);
    case COLOR_MENUTEXT: // text drawn on that background
        return palette.color(QPalette::Active, QPalette::WindowText);
    case COLOR_HIGHLIGHT: // the selection colour
        return palette.color(QPalette::Active, QPalette::Highlight);
    case COLOR_HIGHLIGHTTEXT: // text on the selection
        return palette.color(QPalette::Active, QPalette::HighlightedText);
    case COLOR_GRAYTEXT: // the text of disabled items
        // Windows' own grey: Qt styles' disabled text is far lighter, and the
        // XP look lightens it once more, to nearly white on white.
        return QColor(128, 128, 128);
    }
    return {};
}

QColor GetSysColor(SysColour index)
{
    return GetSysColor(index, QApplication::palette());
}

QColor Lighten(const QColor& colour, double fraction)
{
    if (!(fraction > 0.0 && fraction <= 1.0))
        return colour;
    auto up = [fraction](int c) { return static_cast<int>(c + fraction * (255 - c)); };
    return QColor(up(colour.red()), up(colour.green()), up(colour.blue()));
}

} // namespace qm::xp
