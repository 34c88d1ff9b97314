#include "launcher/where_command.h"

#include "launcher/game_locator.h"
#include "launcher/game_runner.h"

#include <ostream>

namespace playdeck {

int RunWhereCommand(std::ostream& out, std::ostream& err)
{
    const std::vector<GameInstall> finds = LocateAllGames();
    if (finds.empty()) {
        err << "Red Faction was found nowhere: no InstallPath in the store, no Wine prefix, "
               "Steam library, Lutris or Heroic game holds rf.exe.\n";
        return 1;
    }
    bool usable = false;
    for (size_t i = 0; i < finds.size(); ++i) {
        const GameInstall& find = finds[i];
        std::string place = GameSourceName(find.source);
        if (!find.label.empty())
            place += " (" + find.label + ")";
        const GameRunner runner = GameRunnerCommand(find);
        std::string how;
        if (!runner.found) {
            how = "cannot start: no wine on PATH and no Proton";
        } else if (const std::string wine = WineThatCannotRun(find, runner); !wine.empty()) {
            how = "cannot start: " + wine + " cannot run the 32-bit rf.exe (install wine32:i386)";
        } else {
            usable = true;
            for (const auto& [name, value] : runner.environment)
                how += name + "=" + value + " ";
            for (const std::string& word : runner.command)
                how += word + " ";
            if (runner.namesExecutable)
                how += find.executable;
            else if (!how.empty())
                how.pop_back();
        }
        out << (i == 0 ? "*" : "-") << '\t' << place << '\t' << find.folder << '\t' << how << '\n';
    }
    return usable ? 0 : 1;
}

} // namespace playdeck
