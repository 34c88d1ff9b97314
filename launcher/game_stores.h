#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace playdeck {

// A Windows game another launcher installed: where its executable is said to
// be, the Wine prefix and the Wine build that launcher runs it with.
struct StoreGame {
    std::string label;         // Lutris slug / Heroic appName, for messages
    std::string executable;    // the configured program (may be empty)
    std::string directory;     // the game's folder as the launcher records it
    std::string winePrefix;    // empty: not configured
    std::string wineProgram;   // empty: the system's wine
    bool wineIsProton = false; // wineProgram is a Proton script ("proton run")
};

// The "section.key" scalars of a small block-style YAML document, as Lutris
// writes its game configurations: nested mappings joined with '.', plain,
// single- and double-quoted scalars (escapes decoded to UTF-8), folded
// continuation lines joined with one blank. Lists and flow styles are skipped.
std::map<std::string, std::string> ReadYamlScalars(std::string_view text);

// Installed Wine games of Lutris (its pga.db, read only, with each game's
// YAML configuration), in the database's order.
std::vector<StoreGame> LutrisGames();

// Installed Windows GOG games of Heroic (gog_store/installed.json, with the
// per-game GamesConfig/<appName>.json), in the file's order.
std::vector<StoreGame> HeroicGames();

} // namespace playdeck
