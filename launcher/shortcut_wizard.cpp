#include "launcher/shortcut_wizard.h"

#include "common/settings.h"
#include "common/shortcut.h"
#include "launcher/catalogue.h"
#include "launcher/game_locator.h"
#include "launcher/launch.h"
#include "launcher/options.h"
#include "platform/file_system.h"
#include "platform/special_folders.h"

namespace playdeck {

namespace {

void replaceAll(std::string& text, const std::string& what, const std::string& with)
{
    size_t at = 0;
    while ((at = text.find(what, at)) != std::string::npos) {
        text.replace(at, what.size(), with);
        at += with.size();
    }
}

// A folder with a suffix, the suffix only behind a folder that exists.
std::string below(const std::string& folder, const std::string& suffix)
{
    return folder.empty() ? std::string() : folder + qm::kPathSep + suffix;
}

} // namespace

std::optional<ShortcutInput> ShortcutInputForRow(int32_t modeNumber, const std::string& c0,
                                                 const std::string& c1, const std::string& c2)
{
    const std::optional<LevelMode> mode = ModeFromNumber(modeNumber);
    if (!mode)
        return std::nullopt;
    if (*mode != LevelMode::Mods) {
        if (c0.size() <= 4)
            return std::nullopt;
        return ShortcutInput{c0.substr(0, c0.size() - 4), c1, "", false};
    }
    if (c0.empty())
        return std::nullopt;
    // A MOD row has no file name; a MOD level's file name must leave a level,
    // as the launch asks of the same row.
    if (!c1.empty() && c1.size() <= 4)
        return std::nullopt;
    return ShortcutInput{c1.empty() ? std::string() : c1.substr(0, c1.size() - 4), c2, c0, true};
}

NameTemplateSetting NameTemplateFor(const ShortcutInput& input)
{
    if (!input.isMod)
        return {"DefaultShortcutName_Levels", kDefaultNameLevels};
    if (input.levelFile.empty())
        return {"DefaultShortcutName_MODs", kDefaultNameMods};
    return {"DefaultShortcutName_MODLevels", kDefaultNameModLevels};
}

std::string ReplaceNamePlaceholders(std::string nameTemplate, const ShortcutInput& input)
{
    replaceAll(nameTemplate, "%l", input.levelFile);
    replaceAll(nameTemplate, "%n", input.levelDisplayName);
    replaceAll(nameTemplate, "%m", input.modName);
    return nameTemplate;
}

std::string ProposedShortcutName(const ShortcutInput& input)
{
    const NameTemplateSetting setting = NameTemplateFor(input);
    return ReplaceNamePlaceholders(qm::ReadRegString(qm::HKEY_CURRENT_USER, qm::SettingsKey,
                                                     setting.valueName, setting.defaultText),
                                   input);
}

ShortcutFolderTable BuildShortcutFolderTable()
{
    using qm::GetSpecialFolder;
    using qm::SpecialFolder;
    const std::string group =
        qm::ReadRegString(qm::HKEY_CURRENT_USER, qm::SettingsKey, "CreateShortcut_ProgramGroup",
                          kDefaultProgramGroup);
    const bool programsMenu = qm::ReadRegDword(qm::HKEY_CURRENT_USER, qm::SettingsKey,
                                               "CreateShortcut_ProgramGroup_ProgramsMenu", 1) != 0;
    std::string elsewhere =
        qm::ReadRegString(qm::HKEY_CURRENT_USER, qm::SettingsKey, "LastCreateShortcutFolder", "");
    if (elsewhere.empty())
        elsewhere = qm::HomeFolder();

    ShortcutFolderTable table;
    table[0] = {GetSpecialFolder(SpecialFolder::Desktop),
                GetSpecialFolder(SpecialFolder::CommonDesktop)};
    table[1] = programsMenu
                   ? FolderPair{below(GetSpecialFolder(SpecialFolder::Programs), group),
                                below(GetSpecialFolder(SpecialFolder::CommonPrograms), group)}
                   : FolderPair{GetSpecialFolder(SpecialFolder::StartMenu),
                                GetSpecialFolder(SpecialFolder::CommonStartMenu)};
    // The desktop has no quick launch bar: its folder stands in for the
    // application-data path and is empty here.
    table[2] = {GetSpecialFolder(SpecialFolder::QuickLaunch), ""};
    table[3] = {elsewhere, ""};
    return table;
}

LocationChoice ChooseLocation(const FolderPair& pair, ShortcutProfile checked)
{
    if (!pair.currentUser.empty() && !pair.allUsers.empty() && pair.currentUser != pair.allUsers) {
        const ShortcutProfile profile =
            checked == ShortcutProfile::None ? ShortcutProfile::CurrentUser : checked;
        return {true, profile, FolderForProfile(pair, profile)};
    }
    return {false, checked, pair.currentUser.empty() ? pair.allUsers : pair.currentUser};
}

std::string FolderForProfile(const FolderPair& pair, ShortcutProfile profile)
{
    return profile == ShortcutProfile::AllUsers ? pair.allUsers : pair.currentUser;
}

void EnsureStartMenuFolders()
{
    for (qm::SpecialFolder f : {qm::SpecialFolder::Programs, qm::SpecialFolder::StartMenu}) {
        const std::string path = qm::GetSpecialFolder(f);
        if (!path.empty())
            qm::fs::MakeFolders(path); // a failure shows up as a failed save
    }
}

LevelShortcut LevelShortcutFor(const ShortcutInput& input, const std::string& directory,
                               const std::string& name, const std::string& gameFolder,
                               const std::string& switches)
{
    LevelShortcut s;
    s.folder = WithTrailingSeparator(directory);
    s.target = gameFolder + kGameExecutable;
    // Level only, MOD only, or MOD and level, as the main window launches.
    s.arguments = BuildLaunchParameters(switches, input.isMod ? input.modName : std::string(),
                                        input.levelFile, kModKeywordMainWindow);
    s.name = name + kShortcutExtension;
    return s;
}

int32_t WriteLevelShortcut(const ShortcutInput& input, const std::string& directory,
                           const std::string& name)
{
    const std::string gameFolder = GetGameFolder();
    const LevelShortcut s = LevelShortcutFor(
        input, directory, name, gameFolder,
        qm::ReadRegString(qm::HKEY_CURRENT_USER, qm::SettingsKey, "CommandLineSwitches", ""));
    if (s.name.find(qm::kPathSep) != std::string::npos)
        return qm::kShortcutWriteFailed;
    // Only the last level, as the C runtime's mkdir; a missing parent shows up
    // as a failed save. The result is not looked at.
    qm::fs::MakeFolder(s.folder);
    // The runner the launch would use goes in front; with none found yet the
    // shortcut still names wine, which may be installed later.
    if (const auto command = ShortcutCommandForGame(s.target, gameFolder)) {
        const qm::ShortcutRunner runner{command->runner, command->environment,
                                        command->namesExecutable};
        return qm::CreateShortcutLauncher(s.folder, command->executable, s.arguments, s.name,
                                          &runner);
    }
    return qm::CreateShortcutLauncher(s.folder, s.target, s.arguments, s.name);
}

} // namespace playdeck
