#pragma once

#include <optional>
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

enum class GameSource { Store, WinePrefix, Steam };

struct GameInstall {
    std::string folder;     // ends in '/', as GetGameFolder() returns it
    std::string executable; // full path of rf.exe as it is spelled on disk (e.g. ".../RF.exe")
    GameSource source = GameSource::Store;
    std::string winePrefix;   // WinePrefix: the prefix folder (no trailing '/')
    std::string steamRoot;    // Steam: the Steam installation folder (holds steamapps/)
    std::string steamLibrary; // Steam: the library folder that holds steamapps/common/Red Faction
};

// Looks anew on every call, first hit wins: the store's own "InstallPath"; the
// Wine prefix of $WINEPREFIX, then ~/.wine (its system.reg, read only); the
// Steam libraries. Nothing when the game is nowhere. Never writes the store.
std::optional<GameInstall> LocateGame();

// Value of the game's own HKCU key from the store, or, when the store has none
// and the game was found in a Wine prefix, from that prefix's user.reg.
std::optional<std::string> ReadGameUserValue(const std::string& valueName);

// The folder of LocateGame(); when the game is nowhere, the store's own
// "InstallPath" (which then lacks rf.exe) so it can still be shown, or "".
// Always ends in the native separator when not empty.
std::string GetGameFolder();

// True when LocateGame() finds the game.
bool IsGameInstalled();

} // namespace playdeck
