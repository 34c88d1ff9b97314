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

// What goes in front of rf.exe so it runs here.
struct GameRunner {
    bool found = true;                // false: the game needs a runner and none exists
    std::vector<std::string> command; // empty with found: rf.exe runs directly
    std::vector<std::pair<std::string, std::string>> environment;
};

// Splits shell-like words without a shell: blanks separate, single quotes
// keep everything, double quotes keep all but \" \\ \$ \`, a backslash outside
// quotes escapes the next character. Nothing on an unclosed quote.
std::optional<std::vector<std::string>> SplitShellWords(std::string_view text);

// The newest "Proton*" folder holding a "proton" script below the libraries'
// steamapps/common: highest version number in the name; names without one
// ("Proton - Experimental") only when no numbered one exists.
std::optional<std::string> FindNewestProton(const std::vector<std::string>& libraries);

// The runner for install; a non-empty userCommand (the "GameRunner" setting)
// wins over the automatic choice and gets the same WINEPREFIX or Steam compat
// folders the automatic one would.
GameRunner GameRunnerCommand(const GameInstall& install, const std::string& userCommand);
// Same, with the "GameRunner" setting read from the launcher's settings key.
GameRunner GameRunnerCommand(const GameInstall& install);

} // namespace playdeck
