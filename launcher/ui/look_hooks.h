#pragma once

class QMainWindow;
class QMenu;

namespace playdeck {

// Where the flat control look and the XP-style menus plug in. The plain look
// is built now; these calls stay the entry points when the looks arrive.
void EnableFlatLook();
// Gives the frame's menu bar and the list's pop-up menu their final look.
void ApplyMenuLook(QMainWindow* frame, QMenu* popup);

} // namespace playdeck
