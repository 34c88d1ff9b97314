#pragma once

#include <string>

namespace playdeck {

// Where the game keeps its install folder (HKEY_LOCAL_MACHINE).
inline constexpr const char* kGameRegistryKey = "Software\\Volition\\Red Faction";
inline constexpr const char* kGameInstallPathValue = "InstallPath";
inline constexpr const char* kGameExecutable = "rf.exe";

inline constexpr const char* kLauncherTitle = "Quorvel Manager PLAYDECK32";

// Shown (caption kLauncherTitle, exclamation icon, OK) when the game is missing.
inline constexpr const char* kGameMissingMessage =
    "Error: Could not start Quorvel Manager PLAYDECK32 because Red Faction 1 is not installed "
    "on this system or could not be located via the registry. See README.TXT in case you "
    "think this is an error and Red Faction is installed.";

// The game's install folder, read anew from the store on every call, always
// ending in the native separator. A missing or empty "InstallPath" gives ""
// rather than a lone separator, so nothing ever scans or starts from "/".
std::string GetGameFolder();

// True when "InstallPath" is present and not empty and GetGameFolder() +
// "rf.exe" can be opened for reading.
bool IsGameInstalled();

} // namespace playdeck
