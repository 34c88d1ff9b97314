// qm_make_demo_game FOLDER [RF_EXE]: writes the demo game into FOLDER. RF_EXE
// is the stand-in game program (default: qm_rf_standin beside this program).
#include "demo/demo_game/demo_game.h"

#include <filesystem>
#include <iostream>

int main(int argc, char** argv)
{
    if (argc < 2 || argc > 3) {
        std::cerr << "usage: qm_make_demo_game FOLDER [RF_EXE]\n";
        return 2;
    }
    std::string rfExe;
    if (argc == 3) {
        rfExe = argv[2];
    } else {
        std::error_code ec;
        const auto self = std::filesystem::read_symlink("/proc/self/exe", ec);
        rfExe = (self.parent_path() / "qm_rf_standin").string();
    }
    std::string error;
    if (!qm::demo::MakeDemoGame(argv[1], rfExe, error)) {
        std::cerr << "qm_make_demo_game: " << error << "\n";
        return 1;
    }
    std::cout << "Demo game written to " << argv[1] << "\n";
    return 0;
}
