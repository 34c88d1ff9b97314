#include "launcher/game_locator.h"

#include "common/settings.h"
#include "launcher/steam_library.h"
#include "launcher/wine_registry.h"
#include "platform/file_system.h"
#include "platform/registry_store.h"
#include "platform/special_folders.h"

#include <cstdlib>
#include <filesystem>

namespace playdeck {

namespace fs = std::filesystem;

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

std::optional<GameInstall> FromSteam()
{
    const std::string home = qm::HomeFolder();
    if (home.empty())
        return std::nullopt;
    for (const std::string& root : SteamRoots(home)) {
        for (const std::string& library : SteamLibraries(root)) {
            const auto steamapps = FindEntryNoCase(library, "steamapps");
            if (!steamapps)
                continue;
            const std::string apps = library + "/" + *steamapps;
            std::error_code ec;
            if (!fs::is_regular_file(apps + "/appmanifest_" + kSteamAppId + ".acf", ec))
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
            return found;
        }
    }
    return std::nullopt;
}

std::string StoreString(const qm::RegValue& value)
{
    std::string text = value.data;
    while (!text.empty() && text.back() == '\0')
        text.pop_back();
    return text;
}

} // namespace

std::optional<GameInstall> LocateGame()
{
    if (auto found = FromStore())
        return found;
    for (const std::string& prefix : WinePrefixes())
        if (auto found = FromPrefix(prefix))
            return found;
    return FromSteam();
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
    if (!found || found->source != GameSource::WinePrefix)
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
