#pragma once

#include <string>

namespace playdeck {

// Defaults of the launcher settings the Options dialog and the shortcut
// wizard share.
inline constexpr const char* kDefaultProgramGroup = "Red Faction Levels";
inline constexpr const char* kDefaultNameLevels = "%n (Red Faction Level)";
inline constexpr const char* kDefaultNameMods = "%m (Red Faction MOD)";
inline constexpr const char* kDefaultNameModLevels = "%n with MOD %m (Red Faction MOD+Level)";

// The game launcher's own option string (HKEY_CURRENT_USER, read only).
inline constexpr const char* kGameLauncherOptionsValue = "CmdLineOptions";

// An edit of the Options dialog keeps at most this many bytes, so that every
// value it writes fits the reader's buffer and reads back as written.
inline constexpr int kOptionsEditMax = 8190;

// Every value the Options dialog edits, as the dialog shows it: flags are
// already turned into the on/off meaning their readers give them.
struct LauncherOptions {
    std::string commandLineSwitches;
    bool switchesAsInLauncher = true;
    std::string programGroup;
    bool programGroupBelowPrograms = true;
    std::string nameLevels;
    std::string nameMods;
    std::string nameModLevels;
    bool doubleClickLaunch = true;
    bool autoClose = true;
    bool xpMenuStyle = true;
    bool assignVpp = true;
    std::string gameRunner;
    bool operator==(const LauncherOptions&) const = default;
};

// Reads every setting with its default. "AutoClose" and
// "DoubleClick_LaunchLevel" are on only at exactly 1, "AssignVPP" and the two
// dialog-only flags whenever not 0, the XP style while "DisableXPMenuStyle" is 0,
// so that confirming the dialog unchanged keeps what each reader does.
LauncherOptions ReadLauncherOptions();

// Writes every value in the dialog's order: the five strings, the five flags,
// "DisableXPMenuStyle", then (where shown) "GameRunner".
void WriteLauncherOptions(const LauncherOptions& options, bool withGameRunner);

// "CmdLineOptions" of the game's own key, "" when the game launcher never
// stored one.
std::string GameLauncherSwitches();

} // namespace playdeck
