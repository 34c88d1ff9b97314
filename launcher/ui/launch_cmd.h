#pragma once

#include "launcher/launch.h"

class QWidget;

namespace playdeck {

// Shown (caption kLauncherTitle, exclamation icon, OK) when rf.exe needs Wine
// or Proton and neither is found.
inline constexpr const char* kNoGameRunnerMessage =
    "Red Faction could not be started: rf.exe is a Windows program and neither Wine nor "
    "Proton was found on this system. Install Wine, or enter the command that runs the game "
    "under Options (\"Game runner\").";

// Starts the game; when no runner exists the user is told so, owned by
// parent. True when the start was handed on, so the caller may close.
bool LaunchGame(QWidget* parent, const LaunchRequest& request);

} // namespace playdeck
