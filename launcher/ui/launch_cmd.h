#pragma once

#include "launcher/launch.h"

class QWidget;

namespace playdeck {

// Starts the game; when it cannot begin (no runner, or a Wine that cannot run
// the 32-bit rf.exe) the user is told why, owned by parent, with the
// exclamation icon and caption kLauncherTitle. True when the start was handed
// on, so the caller may close.
bool LaunchGame(QWidget* parent, const LaunchRequest& request);

} // namespace playdeck
