// qm_make_demo_game [--register] FOLDER [RF_EXE]: writes the demo game into
// FOLDER. RF_EXE is the stand-in game program (default: qm_rf_standin beside
// this program). --register also points the game's "InstallPath" in the
// settings store ($QM_REGISTRY_DB) at FOLDER.
#include "common/settings.h"
#include "demo/demo_game/demo_game.h"
#include "launcher/game_locator.h"

#include <filesystem>
#include <iostream>
#include <vector>

int main(int argc, char** argv)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    const bool registerGame = !args.empty() && args.front() == "--register";
    if (registerGame)
        args.erase(args.begin());
    // "--help" or any other option is not a folder to write into.
    if (args.empty() || args.size() > 2 || args.front().starts_with("-")) {
        const bool help = !args.empty() && (args.front() == "--help" || args.front() == "-h");
        (help ? std::cout : std::cerr) << "usage: qm_make_demo_game [--register] FOLDER [RF_EXE]\n";
        return help ? 0 : 2;
    }
    std::error_code ec;
    std::string rfExe;
    if (args.size() == 2) {
        rfExe = args[1];
    } else {
        const auto self = std::filesystem::read_symlink("/proc/self/exe", ec);
        rfExe = (self.parent_path() / "qm_rf_standin").string();
    }
    const std::string folder = std::filesystem::absolute(args[0], ec).lexically_normal().string();
    std::string error;
    if (!qm::demo::MakeDemoGame(folder, rfExe, error)) {
        std::cerr << "qm_make_demo_game: " << error << "\n";
        return 1;
    }
    std::cout << "Demo game written to " << folder << "\n";
    if (registerGame) {
        if (!qm::WriteRegString(qm::HKEY_LOCAL_MACHINE, playdeck::kGameRegistryKey,
                                playdeck::kGameInstallPathValue, folder)) {
            std::cerr << "qm_make_demo_game: cannot write the game's InstallPath to "
                      << qm::RegistryStore::defaultPath() << "\n";
            return 1;
        }
        std::cout << "InstallPath set in " << qm::RegistryStore::defaultPath() << "\n";
    }
    return 0;
}
