#include "launcher/game_locator.h"

#include "common/settings.h"
#include "launcher/game_stores.h"
#include "launcher/steam_library.h"
#include "launcher/wine_registry.h"
#include "platform/file_system.h"
#include "platform/registry_store.h"
#include "platform/special_folders.h"

#include <cstdlib>
#include <functional>

namespace playdeck {

namespace {

constexpr const char* kSteamAppId = "20530";

struct RegLookup {
    const char* key;
    const char* value;
};

// Where installers of the game leave its folder in a prefix, the game's own key first.
constexpr RegLookup kPrefixLookups[] = {
    {"Software\\Volition\\Red Faction", "InstallPath"},
    {"Software\\Wow6432Node\\Volition\\Red Faction", "InstallPath"},
    {"Software\\Nordic Games\\Red Faction", "INSTALL_DIR"},
    {"Software\\Wow6432Node\\Nordic Games\\Red Faction", "INSTALL_DIR"},
    {"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Steam App 20530", "InstallLocation"},
    {"Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Steam App 20530",
     "InstallLocation"},
};

std::string WithSeparator(std::string folder)
{
    if (!folder.empty() && folder.back() != qm::kPathSep)
        folder.push_back(qm::kPathSep);
    return folder;
}

// Only a regular file counts: opening a FIFO named rf.exe would wait forever.
bool Readable(const std::string& path)
{
    return qm::fs::ReadFile(path).isOpen();
}

// The game's executable in folder, any case; nothing when absent or unreadable.
std::optional<std::string> GameExecutable(const std::string& folder)
{
    const auto name = FindEntryNoCase(folder, kGameExecutable);
    if (!name)
        return std::nullopt;
    std::string exe = WithSeparator(folder) + *name;
    if (!Readable(exe))
        return std::nullopt;
    return exe;
}

std::optional<GameInstall> FromStore()
{
    const std::string path =
        qm::ReadRegString(qm::HKEY_LOCAL_MACHINE, kGameRegistryKey, kGameInstallPathValue, "");
    if (path.empty())
        return std::nullopt;
    auto exe = GameExecutable(path);
    if (!exe)
        return std::nullopt;
    GameInstall found;
    found.folder = WithSeparator(path);
    found.executable = std::move(*exe);
    found.source = GameSource::Store;
    found.winePrefix = WinePrefixOfPath(path);
    return found;
}

std::vector<std::string> WinePrefixes()
{
    std::vector<std::string> out;
    if (const char* env = std::getenv("WINEPREFIX"); env && *env) {
        std::string prefix = env;
        while (prefix.size() > 1 && prefix.back() == '/')
            prefix.pop_back();
        out.push_back(prefix);
    }
    const std::string home = qm::HomeFolder();
    if (!home.empty()) {
        const std::string dotWine = home + "/.wine";
        if (out.empty() || out.front() != dotWine)
            out.push_back(dotWine);
    }
    return out;
}

std::optional<GameInstall> FromPrefix(const std::string& prefix)
{
    const auto reg = WineRegistryFile::load(prefix + "/system.reg");
    if (!reg)
        return std::nullopt;
    for (const RegLookup& lookup : kPrefixLookups) {
        const auto windowsPath = reg->value(lookup.key, lookup.value);
        if (!windowsPath || windowsPath->empty())
            continue;
        const auto folder = MapWinePath(prefix, *windowsPath);
        if (!folder)
            continue;
        auto exe = GameExecutable(*folder);
        if (!exe)
            continue;
        GameInstall found;
        found.folder = WithSeparator(*folder);
        found.executable = std::move(*exe);
        found.source = GameSource::WinePrefix;
        found.winePrefix = prefix;
        return found;
    }
    return std::nullopt;
}

using Visitor = std::function<bool(GameInstall)>; // false: stop looking

bool FromSteam(const Visitor& visit)
{
    const std::string home = qm::HomeFolder();
    if (home.empty())
        return true;
    for (const std::string& root : SteamRoots(home)) {
        for (const std::string& library : SteamLibraries(root)) {
            const auto steamapps = FindEntryNoCase(library, "steamapps");
            if (!steamapps)
                continue;
            const std::string apps = library + "/" + *steamapps;
            if (!qm::fs::IsRegularFile(apps + "/appmanifest_" + kSteamAppId + ".acf"))
                continue;
            const auto common = FindEntryNoCase(apps, "common");
            if (!common)
                continue;
            const auto game = FindEntryNoCase(apps + "/" + *common, "Red Faction");
            if (!game)
                continue;
            const std::string folder = apps + "/" + *common + "/" + *game;
            auto exe = GameExecutable(folder);
            if (!exe)
                continue;
            GameInstall found;
            found.folder = WithSeparator(folder);
            found.executable = std::move(*exe);
            found.source = GameSource::Steam;
            found.steamRoot = root;
            found.steamLibrary = library;
            if (!visit(std::move(found)))
                return false;
        }
    }
    return true;
}

bool IsGameProgramName(const std::string& name)
{
    const std::string game = kGameExecutable;
    if (name.size() != game.size())
        return false;
    for (size_t i = 0; i < name.size(); ++i)
        if (char(name[i] | 0x20) != game[i] && name[i] != game[i])
            return false;
    return true;
}

// A Lutris or Heroic game is ours when its program, or its folder, is rf.exe.
bool FromStoreGames(GameSource source, const std::vector<StoreGame>& games, const Visitor& visit)
{
    for (const StoreGame& game : games) {
        std::optional<std::string> exe;
        if (IsGameProgramName(qm::fs::FileNameOf(game.executable)))
            exe = GameExecutable(qm::fs::FolderOf(game.executable));
        if (!exe && !game.directory.empty())
            exe = GameExecutable(game.directory);
        if (!exe)
            continue;
        GameInstall found;
        found.folder = qm::fs::FolderOf(*exe);
        found.executable = std::move(*exe);
        found.source = source;
        found.winePrefix = game.winePrefix;
        while (found.winePrefix.size() > 1 && found.winePrefix.back() == '/')
            found.winePrefix.pop_back();
        if (found.winePrefix.empty())
            found.winePrefix = WinePrefixOfPath(found.folder);
        found.wineProgram = game.wineProgram;
        found.wineIsProton = game.wineIsProton;
        found.label = game.label;
        if (!visit(std::move(found)))
            return false;
    }
    return true;
}

// Hands every find to visit in the order of the places, until it says stop.
void VisitFinds(const Visitor& visit)
{
    if (auto found = FromStore(); found && !visit(std::move(*found)))
        return;
    for (const std::string& prefix : WinePrefixes())
        if (auto found = FromPrefix(prefix); found && !visit(std::move(*found)))
            return;
    if (!FromSteam(visit))
        return;
    if (!FromStoreGames(GameSource::Lutris, LutrisGames(), visit))
        return;
    FromStoreGames(GameSource::Heroic, HeroicGames(), visit);
}

std::string StoreString(const qm::RegValue& value)
{
    std::string text = value.data;
    while (!text.empty() && text.back() == '\0')
        text.pop_back();
    return text;
}

} // namespace

const char* GameSourceName(GameSource source)
{
    switch (source) {
    case GameSource::Store:
        return "store";
    case GameSource::WinePrefix:
        return "wine prefix";
    case GameSource::Steam:
        return "steam";
    case GameSource::Lutris:
        return "lutris";
    case GameSource::Heroic:
        return "heroic";
    }
    return "";
}

std::string WinePrefixOfPath(const std::string& path)
{
    for (size_t at = path.rfind("/drive_c"); at != std::string::npos && at > 0;
         at = path.rfind("/drive_c", at - 1)) {
        const size_t end = at + 8;
        if (end < path.size() && path[end] != '/')
            continue;
        const std::string prefix = path.substr(0, at);
        if (qm::fs::IsRegularFile(prefix + "/system.reg"))
            return prefix;
    }
    return {};
}

std::optional<GameInstall> LocateGame()
{
    std::optional<GameInstall> first;
    VisitFinds([&first](GameInstall found) {
        first = std::move(found);
        return false;
    });
    return first;
}

std::vector<GameInstall> LocateAllGames()
{
    std::vector<GameInstall> all;
    VisitFinds([&all](GameInstall found) {
        all.push_back(std::move(found));
        return true;
    });
    return all;
}

std::optional<std::string> ReadGameUserValue(const std::string& valueName)
{
    {
        const qm::RegistryStore store(qm::RegistryStore::Mode::ReadOnly);
        if (store.ok()) {
            const auto value = store.value(qm::HKEY_CURRENT_USER, kGameRegistryKey, valueName);
            if (value &&
                (value->type == qm::regtype::REG_SZ || value->type == qm::regtype::REG_EXPAND_SZ))
                return StoreString(*value);
        }
    }
    const auto found = LocateGame();
    if (!found || found->winePrefix.empty())
        return std::nullopt;
    const auto reg = WineRegistryFile::load(found->winePrefix + "/user.reg");
    if (!reg)
        return std::nullopt;
    return reg->value(kGameRegistryKey, valueName);
}

std::string GetGameFolder()
{
    if (auto found = LocateGame())
        return found->folder;
    return WithSeparator(
        qm::ReadRegString(qm::HKEY_LOCAL_MACHINE, kGameRegistryKey, kGameInstallPathValue, ""));
}

bool IsGameInstalled()
{
    return LocateGame().has_value();
}

} // namespace playdeck
