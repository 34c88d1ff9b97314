#pragma once

#include <optional>
#include <string>
#include <vector>

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

enum class GameSource { Store, WinePrefix, Steam, Lutris, Heroic };

// "store", "wine prefix", "steam", "lutris", "heroic".
const char* GameSourceName(GameSource source);

struct GameInstall {
    std::string folder;     // ends in '/', as GetGameFolder() returns it
    std::string executable; // full path of rf.exe as it is spelled on disk (e.g. ".../RF.exe")
    GameSource source = GameSource::Store;
    // The Wine prefix the game belongs to (no trailing '/'): the one it was
    // found in, the one its launcher configured, or the one its path lies in.
    std::string winePrefix;
    std::string steamRoot;     // Steam: the Steam installation folder (holds steamapps/)
    std::string steamLibrary;  // Steam: the library folder that holds steamapps/common/Red Faction
    std::string wineProgram;   // Lutris/Heroic: their configured Wine (empty: the system's)
    bool wineIsProton = false; // wineProgram is a Proton script
    std::string label;         // Lutris slug, Heroic appName
};

// Looks anew on every call, first hit wins: the store's own "InstallPath"; the
// Wine prefix of $WINEPREFIX, then ~/.wine (its system.reg, read only); the
// Steam libraries; Lutris's games; Heroic's GOG games. Nothing when the game
// is nowhere. Never writes the store or any file of the places it reads.
std::optional<GameInstall> LocateGame();

// Every find, in the order LocateGame() tries the places (its answer first).
std::vector<GameInstall> LocateAllGames();

// The prefix a path lies in: the folder above its last "drive_c" component
// when that folder holds system.reg; "" otherwise.
std::string WinePrefixOfPath(const std::string& path);

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
