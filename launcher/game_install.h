#pragma once

#include <optional>
#include <string>

namespace playdeck {

enum class GameSource { Store, WinePrefix, Steam };

struct GameInstall {
    std::string folder;     // ends in '/'
    std::string executable; // full path of rf.exe as spelled on disk (e.g. ".../RF.exe")
    GameSource source = GameSource::Store;
    std::string winePrefix;   // WinePrefix: the prefix folder (no trailing '/')
    std::string steamRoot;    // Steam: the Steam installation folder
    std::string steamLibrary; // Steam: library holding steamapps/common/Red Faction
};

} // namespace playdeck
