#include "launcher/options.h"

#include "common/settings.h"
#include "launcher/game_locator.h"
#include "launcher/game_runner.h"

namespace playdeck {

namespace {

std::string readString(const char* name, const char* def)
{
    return qm::ReadRegString(qm::HKEY_CURRENT_USER, qm::SettingsKey, name, def);
}
uint32_t readNumber(const char* name, uint32_t def)
{
    return qm::ReadRegDword(qm::HKEY_CURRENT_USER, qm::SettingsKey, name, def);
}
void writeString(const char* name, const std::string& text)
{
    qm::WriteRegString(qm::HKEY_CURRENT_USER, qm::SettingsKey, name, text);
}
void writeFlag(const char* name, bool on)
{
    qm::WriteRegDword(qm::HKEY_CURRENT_USER, qm::SettingsKey, name, on ? 1 : 0);
}

} // namespace

LauncherOptions ReadLauncherOptions()
{
    LauncherOptions o;
    o.commandLineSwitches = readString("CommandLineSwitches", "");
    o.switchesAsInLauncher = readNumber("CommandLineSwitches_AsInLauncher", 1) != 0;
    o.programGroup = readString("CreateShortcut_ProgramGroup", kDefaultProgramGroup);
    // The wizard leaves the programs folder only at 0.
    o.programGroupBelowPrograms = readNumber("CreateShortcut_ProgramGroup_ProgramsMenu", 1) != 0;
    o.nameLevels = readString("DefaultShortcutName_Levels", kDefaultNameLevels);
    o.nameMods = readString("DefaultShortcutName_MODs", kDefaultNameMods);
    o.nameModLevels = readString("DefaultShortcutName_MODLevels", kDefaultNameModLevels);
    o.doubleClickLaunch = readNumber("DoubleClick_LaunchLevel", 1) == 1;
    o.autoClose = readNumber("AutoClose", 1) == 1;
    o.xpMenuStyle = readNumber("DisableXPMenuStyle", 0) == 0;
    o.assignVpp = readNumber("AssignVPP", 1) != 0;
    o.gameRunner = readString(kGameRunnerValue, "");
    return o;
}

void WriteLauncherOptions(const LauncherOptions& o, bool withGameRunner)
{
    // Write errors are not reported; the dialog closes anyway.
    writeString("CommandLineSwitches", o.commandLineSwitches);
    writeString("CreateShortcut_ProgramGroup", o.programGroup);
    writeString("DefaultShortcutName_Levels", o.nameLevels);
    writeString("DefaultShortcutName_MODs", o.nameMods);
    writeString("DefaultShortcutName_MODLevels", o.nameModLevels);
    writeFlag("AutoClose", o.autoClose);
    writeFlag("CreateShortcut_ProgramGroup_ProgramsMenu", o.programGroupBelowPrograms);
    writeFlag("DoubleClick_LaunchLevel", o.doubleClickLaunch);
    writeFlag("CommandLineSwitches_AsInLauncher", o.switchesAsInLauncher);
    writeFlag("AssignVPP", o.assignVpp);
    writeFlag("DisableXPMenuStyle", !o.xpMenuStyle);
    if (withGameRunner)
        writeString(kGameRunnerValue, o.gameRunner);
}

std::string GameLauncherSwitches()
{
    // A game installed in a Wine prefix keeps its launcher's switches there.
    return ReadGameUserValue(kGameLauncherOptionsValue).value_or("");
}

} // namespace playdeck
