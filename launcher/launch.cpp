#include "launcher/launch.h"

#include "common/settings.h"
#include "launcher/game_locator.h"
#include "platform/process_start.h"

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

bool StartLaunch(const LaunchRequest& request)
{
    return qm::StartProgram(request.program, request.parameters, request.workingFolder);
}

bool ShouldAutoClose()
{
    return qm::ReadRegDword(qm::HKEY_CURRENT_USER, qm::SettingsKey, "AutoClose", 1) == 1;
}

} // namespace playdeck
