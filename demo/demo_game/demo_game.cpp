#include "demo/demo_game/demo_game.h"

#include "demo/demo_game/packfile_builder.h"

#include <filesystem>
#include <vector>

namespace qm::demo {

namespace {

namespace fs = std::filesystem;

struct DemoLevel {
    const char* folder;  // below the game folder
    const char* file;    // packfile name
    const char* rflName; // directory name of the level file
    const char* levelName;
    const char* author;
    const char* date;
};

// The level file is put after two other files in some packfiles, as real
// levels carry textures and tables beside it.
const DemoLevel kLevels[] = {
    {"user_maps/single", "Glass House.vpp", "GLASS HOUSE.RFL", "The Glass House", "Jane Doe",
     "06/15/2001"},
    {"user_maps/single", "LEVEL one.vpp", "level one.rfl", "Level One", "Volition Fan",
     "Tue Jul 03 18:20:11 2001"},
    {"user_maps/single", "sp_Tower Climb.vpp", "sp_tower climb.rfl", "Tower Climb", "M. Reyes",
     "2002-01-20"},
    {"user_maps/multi", "CTF Canyon.vpp", "CTF Canyon.rfl", "Capture the Flag: Canyon", "Red Team",
     "09/09/2001"},
    {"user_maps/multi", "dm01 Arena.VPP", "DM01 ARENA.rfl", "Arena", "", "10/01/2001"},
    {"user_maps/multi", "Lava Pit.vpp", "lava pit.rfl", "Lava Pit (DM)", "Hot Foot",
     "Thu Nov 22 09:00:00 2001"},
    {"mods/Rebellion", "reb01.vpp", "reb01.rfl", "Rebellion: The Docks", "Rebellion Team",
     "03/03/2002"},
    {"mods/Rebellion", "Reb02 Mines.vpp", "reb02 mines.rfl", "Rebellion: The Mines",
     "Rebellion Team", "04/04/2002"},
    {"mods/Zombie Mode", "zm_Lab.vpp", "ZM_LAB.rfl", "Zombie Lab", "Dr. Undead", "10/31/2002"},
};

std::string Filler(size_t size, char c)
{
    return std::string(size, c);
}

std::string LevelPackfile(const DemoLevel& l, int position)
{
    const VppEntry rfl{l.rflName, BuildRfl(l.levelName, l.author, l.date), {}};
    std::vector<VppEntry> entries{{"readme.txt", Filler(5000, 'r'), {}},
                                  {"sky.tga", Filler(300, 's'), {}}};
    entries.insert(entries.begin() + position, rfl);
    return BuildVpp(entries);
}

std::string NoLevelPackfile(const std::string& a, const std::string& b)
{
    return BuildVpp({{a, Filler(4096, 'a'), {}}, {b, Filler(10, 'b'), {}}});
}

} // namespace

bool MakeDemoGame(const std::string& folder, const std::string& rfExeSource, std::string& error)
{
    const fs::path root(folder);
    std::error_code ec;
    for (const char* sub : {"user_maps/single", "user_maps/multi", "mods/Rebellion",
                            "mods/Zombie Mode", "mods/HiRes Textures", "mods/Empty Mod"}) {
        fs::create_directories(root / sub, ec);
        if (ec) {
            error = "cannot create " + (root / sub).string() + ": " + ec.message();
            return false;
        }
    }

    std::vector<std::pair<std::string, std::string>> files;
    int position = 0;
    for (const DemoLevel& l : kLevels) {
        files.emplace_back(std::string(l.folder) + "/" + l.file, LevelPackfile(l, position));
        position = (position + 1) % 3;
    }
    // A packfile of textures only, and a level cut off inside its directory.
    files.emplace_back("user_maps/single/textures.vpp", NoLevelPackfile("wall.tga", "floor.tga"));
    std::string broken =
        LevelPackfile({"", "", "broken bridge.rfl", "Broken Bridge", "Nobody", "01/01/2001"}, 2);
    broken.resize(2048 + 64 + 20);
    files.emplace_back("user_maps/single/Broken Bridge.vpp", broken);
    files.emplace_back("user_maps/single/notes.txt", "Not a packfile.\r\n");
    files.emplace_back("mods/Rebellion/reb_sounds.vpp",
                       NoLevelPackfile("explosion.wav", "music.mp3"));
    files.emplace_back("mods/HiRes Textures/hires_walls.vpp",
                       NoLevelPackfile("wall01.tga", "wall02.tga"));
    files.emplace_back("mods/HiRes Textures/hires_sky.vpp", NoLevelPackfile("sky.tga", "sun.tga"));
    files.emplace_back("mods/Empty Mod/readme.txt", "This MOD has no packfiles yet.\r\n");

    for (const auto& [relative, bytes] : files) {
        if (!WriteBytes((root / relative).string(), bytes)) {
            error = "cannot write " + (root / relative).string();
            return false;
        }
    }

    const fs::path rfExe = root / "rf.exe";
    fs::copy_file(rfExeSource, rfExe, fs::copy_options::overwrite_existing, ec);
    if (ec) {
        error = "cannot copy " + rfExeSource + " to " + rfExe.string() + ": " + ec.message();
        return false;
    }
    fs::permissions(rfExe,
                    fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                        fs::perms::others_read | fs::perms::others_exec,
                    ec);
    return true;
}

} // namespace qm::demo
