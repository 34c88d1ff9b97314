#pragma once

#include "launcher/game_locator.h"

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace playdeck {

// Launcher setting naming the user's own runner command; empty picks one.
inline constexpr const char* kGameRunnerValue = "GameRunner";
// That setting's word for "Proton as Steam would pick it, without the client".
inline constexpr const char* kDirectProtonRunner = "proton";
inline constexpr const char* kSteamAppId = "20530";

enum class RunnerKind { Direct, Wine, Proton, SteamClient, User };

// What goes in front of rf.exe so it runs here.
struct GameRunner {
    bool found = true; // false: the game needs a runner and none exists
    RunnerKind kind = RunnerKind::Direct;
    std::vector<std::string> command; // empty with found: rf.exe runs directly
    std::vector<std::pair<std::string, std::string>> environment;
    // False for Steam's client, which starts the game itself: only the game's
    // parameters follow the command.
    bool namesExecutable = true;
};

// Steam's client as a command: "steam" on PATH, else the Flatpak Steam
// through "flatpak run com.valvesoftware.Steam". Nothing when neither is there.
std::optional<std::vector<std::string>> SteamClientCommand();

// A 32-bit rf.exe handed to a Wine without its 32-bit half would only make
// Wine complain on a terminal nobody sees: that Wine's launcher, else "".
std::string WineThatCannotRun(const GameInstall& install, const GameRunner& runner);

// Splits shell-like words without a shell: blanks separate, single quotes
// keep everything, double quotes keep all but \" \\ \$ \`, a backslash outside
// quotes escapes the next character. Nothing on an unclosed quote.
std::optional<std::vector<std::string>> SplitShellWords(std::string_view text);

// The newest "Proton*" folder holding a "proton" script below the libraries'
// steamapps/common: highest version number in the name; names without one
// ("Proton - Experimental") only when no numbered one exists.
std::optional<std::string> FindNewestProton(const std::vector<std::string>& libraries);

// The runner for install. A Steam find starts through Steam's client when
// there is one, else through the Proton Steam maps the game (or every game)
// to, else the newest Proton of any library; a Lutris or Heroic find through
// the Wine or Proton configured there; anything else through wine from PATH,
// with WINEPREFIX when the game lies in a prefix. A non-empty userCommand
// (the "GameRunner" setting) wins over the automatic choice and gets the same
// WINEPREFIX or Steam variables; "proton" alone skips Steam's client.
GameRunner GameRunnerCommand(const GameInstall& install, const std::string& userCommand);
// Same, with the "GameRunner" setting read from the launcher's settings key.
GameRunner GameRunnerCommand(const GameInstall& install);

} // namespace playdeck
