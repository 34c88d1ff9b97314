#pragma once

#include "launcher/catalogue.h"
#include "platform/process_start.h"

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace playdeck {

inline constexpr const char* kModKeywordMainWindow = "-mod ";
inline constexpr const char* kModKeywordChooser = "-MOD ";

// The game's parameters: switches (plus one space when not empty), then
// "-level " + level, or modKeyword + MOD, or both as
// modKeyword + MOD + " -level " + level. Names go in as they are, unquoted.
// With neither a MOD nor a level only the switches remain.
std::string BuildLaunchParameters(const std::string& switches, const std::string& modName,
                                  const std::string& levelName, const std::string& modKeyword);

// What a launch starts: the game program with its parameter string, run in
// the game folder.
struct LaunchRequest {
    std::string program;       // game folder + "rf.exe"
    std::string parameters;    // one Windows-style parameter string
    std::string workingFolder; // the game folder
    bool operator==(const LaunchRequest&) const = default;
};

// The main window's decision for the selected row's first two columns: level
// modes need a file name of at least 5 characters; a Mods row plays the MOD,
// and its level when column 1 is set. Nothing for a row that cannot be played
// or a mode outside 0..2.
std::optional<LaunchRequest> LaunchRequestForRow(int32_t modeNumber, const std::string& c0,
                                                 const std::string& c1,
                                                 const std::string& gameFolder,
                                                 const std::string& switches);
// The same with the game folder and "CommandLineSwitches" read from the store.
std::optional<LaunchRequest> LaunchRequestForRow(int32_t modeNumber, const std::string& c0,
                                                 const std::string& c1);

// The action chooser's parameters: no switches, "-MOD ".
LaunchRequest ChooserLaunchRequest(const std::string& gameFolder, const std::string& modName,
                                   const std::string& levelName);

// The start that runs request on this system: the game's executable as
// spelled on disk behind the runner its location calls for (see
// GameRunnerCommand), the parameters split by the Windows rules, working
// folder the game folder. Nothing when the game needs a runner and none exists.
std::optional<qm::ProcessStartRequest> GameStartRequest(const LaunchRequest& request);

enum class LaunchResult { Started, StartFailed, NoRunner, WineLacks32Bit };

// Starts GameStartRequest(request) through the current process starter, the
// runner's output going to the game log; not waited for. Nothing is started
// when no runner exists, or when rf.exe is a 32-bit program and the Wine
// found cannot run one (that Wine's launcher then goes to wine).
LaunchResult StartLaunch(const LaunchRequest& request, std::string* wine = nullptr);

// The message the launcher shows when a launch could not begin (NoRunner,
// WineLacks32Bit; wine as StartLaunch gave it). Names the game log.
std::string LaunchErrorText(LaunchResult result, const std::string& wine);

// What a shortcut to the game in gameFolder puts in its Exec line: the
// runner's words and environment in front of the executable. Nothing when the
// game needs a runner and none exists.
struct GameShortcutCommand {
    std::string executable;
    std::vector<std::string> runner;
    std::vector<std::pair<std::string, std::string>> environment;
    bool namesExecutable = true; // false: Steam's client, which starts the game itself
};
std::optional<GameShortcutCommand> ShortcutCommandForGame(const std::string& program,
                                                          const std::string& gameFolder);

// "AutoClose" (default 1): only exactly 1 ends the launcher after a launch.
bool ShouldAutoClose();

} // namespace playdeck
