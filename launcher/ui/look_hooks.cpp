#include "launcher/ui/look_hooks.h"

namespace playdeck {

// The plain look: the menus and controls keep the desktop style.
void EnableFlatLook() {}
void ApplyMenuLook(QMainWindow*, QMenu*) {}

} // namespace playdeck
