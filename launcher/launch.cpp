#include "launcher/launch.h"

#include "common/settings.h"
#include "launcher/game_locator.h"
#include "launcher/game_log.h"
#include "launcher/game_runner.h"

namespace playdeck {

namespace {
// A packfile name without its ".vpp"; nothing when no name would remain.
std::optional<std::string> LevelOfFileName(const std::string& fileName)
{
    if (fileName.size() < 5)
        return std::nullopt;
    return fileName.substr(0, fileName.size() - 4);
}
} // namespace

std::string BuildLaunchParameters(const std::string& switches, const std::string& modName,
                                  const std::string& levelName, const std::string& modKeyword)
{
    std::string parameters = switches.empty() ? std::string() : switches + " ";
    if (!modName.empty()) {
        parameters += modKeyword + modName;
        if (!levelName.empty())
            parameters += " -level " + levelName;
    } else if (!levelName.empty()) {
        parameters += "-level " + levelName;
    } else if (!switches.empty()) {
        parameters.pop_back(); // no name follows the switches
    }
    return parameters;
}

std::optional<LaunchRequest> LaunchRequestForRow(int32_t modeNumber, const std::string& c0,
                                                 const std::string& c1,
                                                 const std::string& gameFolder,
                                                 const std::string& switches)
{
    const std::optional<LevelMode> mode = ModeFromNumber(modeNumber);
    if (!mode || gameFolder.empty())
        return std::nullopt;
    std::string mod;
    std::string level;
    if (*mode == LevelMode::Mods) {
        if (c0.empty())
            return std::nullopt;
        mod = c0;
        if (!c1.empty()) {
            // A file name that leaves no level would send an empty "-level ".
            std::optional<std::string> l = LevelOfFileName(c1);
            if (!l)
                return std::nullopt;
            level = *l;
        }
    } else {
        std::optional<std::string> l = LevelOfFileName(c0);
        if (!l)
            return std::nullopt;
        level = *l;
    }
    return LaunchRequest{gameFolder + kGameExecutable,
                         BuildLaunchParameters(switches, mod, level, kModKeywordMainWindow),
                         gameFolder};
}

std::optional<LaunchRequest> LaunchRequestForRow(int32_t modeNumber, const std::string& c0,
                                                 const std::string& c1)
{
    return LaunchRequestForRow(
        modeNumber, c0, c1, GetGameFolder(),
        qm::ReadRegString(qm::HKEY_CURRENT_USER, qm::SettingsKey, "CommandLineSwitches", ""));
}

LaunchRequest ChooserLaunchRequest(const std::string& gameFolder, const std::string& modName,
                                   const std::string& levelName)
{
    return LaunchRequest{gameFolder + kGameExecutable,
                         BuildLaunchParameters("", modName, levelName, kModKeywordChooser),
                         gameFolder};
}

namespace {
// Where the game of a launch lies: the locator's find when it is the same
// folder (its source picks the runner), else the folder as given.
GameInstall InstallFor(const std::string& program, const std::string& folder)
{
    if (auto found = LocateGame(); found && found->folder == folder)
        return *found;
    GameInstall install;
    install.folder = folder;
    install.executable = program;
    install.source = GameSource::Store;
    install.winePrefix = WinePrefixOfPath(folder);
    return install;
}
} // namespace

std::optional<GameShortcutCommand> ShortcutCommandForGame(const std::string& program,
                                                          const std::string& gameFolder)
{
    const GameInstall install = InstallFor(program, gameFolder);
    GameRunner runner = GameRunnerCommand(install);
    if (!runner.found)
        return std::nullopt;
    return GameShortcutCommand{install.executable, std::move(runner.command),
                               std::move(runner.environment), runner.namesExecutable};
}

namespace {
qm::ProcessStartRequest StartFor(const LaunchRequest& request, GameShortcutCommand command)
{
    qm::ProcessStartRequest start;
    const bool direct = command.runner.empty();
    std::vector<std::string> parameters = qm::SplitWindowsCommandLine(request.parameters);
    if (!direct && !qm::IsNativeExecutable(command.executable))
        parameters = qm::ArgumentsForWindowsProgram(std::move(parameters));
    std::vector<std::string> words = std::move(command.runner);
    if (command.namesExecutable)
        words.push_back(command.executable);
    for (std::string& a : parameters)
        words.push_back(std::move(a));
    start.program = words.front();
    start.arguments.assign(std::make_move_iterator(words.begin() + 1),
                           std::make_move_iterator(words.end()));
    start.workingFolder = request.workingFolder;
    start.environment = std::move(command.environment);
#ifdef _WIN32
    // Started directly, the game gets the parameter string as it is and its
    // own C runtime splits it, as the shell would hand it over.
    if (direct)
        start.parameters = request.parameters;
#endif
    return start;
}
} // namespace

std::optional<qm::ProcessStartRequest> GameStartRequest(const LaunchRequest& request)
{
    auto command = ShortcutCommandForGame(request.program, request.workingFolder);
    if (!command)
        return std::nullopt;
    return StartFor(request, std::move(*command));
}

LaunchResult StartLaunch(const LaunchRequest& request, std::string* wine)
{
    const GameInstall install = InstallFor(request.program, request.workingFolder);
    GameRunner runner = GameRunnerCommand(install);
    if (!runner.found)
        return LaunchResult::NoRunner;
    if (const std::string lacking = WineThatCannotRun(install, runner); !lacking.empty()) {
        NoteInGameLog("=== not started: " + install.executable +
                      " is a 32-bit program and the Wine at " + lacking +
                      " cannot run 32-bit programs");
        if (wine)
            *wine = lacking;
        return LaunchResult::WineLacks32Bit;
    }
    const bool client = runner.kind == RunnerKind::SteamClient;
    qm::ProcessStartRequest start = StartFor(
        request, GameShortcutCommand{install.executable, std::move(runner.command),
                                     std::move(runner.environment), runner.namesExecutable});
    // A client we start may keep running for days: its chatter would never
    // stop growing the log, and the game's output goes to Steam's own logs.
    const std::string log = PrepareGameLog(start);
    if (!client)
        start.outputPath = log;
    if (qm::CurrentProcessStarter().start(start))
        return LaunchResult::Started;
    NoteInGameLog("could not start " + start.program);
    return LaunchResult::StartFailed;
}

std::string LaunchErrorText(LaunchResult result, const std::string& wine)
{
    std::string text;
    if (result == LaunchResult::WineLacks32Bit) {
        text = "Red Faction could not be started: rf.exe is a 32-bit Windows program and the "
               "Wine found (" +
               wine +
               ") cannot run 32-bit programs.\n\n"
               "On Debian or Ubuntu, add Wine's 32-bit part:\n"
               "    sudo dpkg --add-architecture i386\n"
               "    sudo apt update\n"
               "    sudo apt install wine32:i386\n"
               "(with WineHQ's packages: wine-stable-i386). Or enter a runner that can, such "
               "as Proton, under Options (\"Game runner\").";
    } else {
        text = "Red Faction could not be started: rf.exe is a Windows program and neither Wine "
               "nor Proton was found on this system. Install Wine, or enter the command that "
               "runs the game under Options (\"Game runner\").";
    }
    return text + "\n\nWhat the game's runner printed is kept in " + GameLogPath() + ".";
}

bool ShouldAutoClose()
{
    return qm::ReadRegDword(qm::HKEY_CURRENT_USER, qm::SettingsKey, "AutoClose", 1) == 1;
}

} // namespace playdeck
