#include "launcher/game_runner.h"

#include "common/settings.h"
#include "launcher/steam_library.h"
#include "launcher/wine_check.h"
#include "platform/file_system.h"
#include "platform/process_start.h"
#include "platform/special_folders.h"

#include <algorithm>

namespace playdeck {

namespace {

// The dotted numbers of a folder name ("Proton 9.0" -> {9, 0}); empty when none.
std::vector<int> VersionOf(const std::string& name)
{
    std::vector<int> parts;
    size_t i = 0;
    while (i < name.size() && !(name[i] >= '0' && name[i] <= '9'))
        ++i;
    while (i < name.size() && name[i] >= '0' && name[i] <= '9') {
        int value = 0;
        while (i < name.size() && name[i] >= '0' && name[i] <= '9') {
            if (value < 100000)
                value = value * 10 + (name[i] - '0');
            ++i;
        }
        parts.push_back(value);
        if (i + 1 < name.size() && name[i] == '.' && name[i + 1] >= '0' && name[i + 1] <= '9')
            ++i;
        else
            break;
    }
    return parts;
}

std::string WithoutSlash(std::string path)
{
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

std::string FirstSteamRoot()
{
    const auto roots = SteamRoots(qm::HomeFolder());
    return roots.empty() ? qm::HomeFolder() + "/.steam/steam" : roots.front();
}

// What the place the game was found in tells any runner: the prefix, or
// Proton's compat folders and the app id Steam would set.
std::vector<std::pair<std::string, std::string>> LocationEnvironment(const GameInstall& install)
{
    if (install.source == GameSource::Steam && !install.steamLibrary.empty())
        return {{"STEAM_COMPAT_DATA_PATH",
                 WithoutSlash(install.steamLibrary) + "/steamapps/compatdata/" + kSteamAppId},
                {"STEAM_COMPAT_CLIENT_INSTALL_PATH", WithoutSlash(install.steamRoot)},
                {"SteamAppId", kSteamAppId},
                {"SteamGameId", kSteamAppId}};
    if (install.wineIsProton && !install.winePrefix.empty())
        return {{"STEAM_COMPAT_DATA_PATH", install.winePrefix},
                {"STEAM_COMPAT_CLIENT_INSTALL_PATH", FirstSteamRoot()}};
    if (!install.winePrefix.empty())
        return {{"WINEPREFIX", install.winePrefix}};
    return {};
}

bool IsDirectProton(const std::string& userCommand)
{
    const auto words = SplitShellWords(userCommand);
    if (!words || words->size() != 1)
        return false;
    std::string word = words->front();
    for (char& c : word)
        c = char(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return word == kDirectProtonRunner;
}

// The Proton Steam itself would run the game with, searched in every library.
std::optional<std::string> SteamProton(const GameInstall& install)
{
    std::vector<std::string> roots = SteamRoots(qm::HomeFolder());
    if (!install.steamRoot.empty() &&
        std::find(roots.begin(), roots.end(), install.steamRoot) == roots.end())
        roots.insert(roots.begin(), install.steamRoot);
    std::vector<std::string> libraries{install.steamLibrary};
    for (const std::string& root : roots)
        for (const std::string& library : SteamLibraries(root))
            if (std::find(libraries.begin(), libraries.end(), library) == libraries.end())
                libraries.push_back(library);
    const std::string tool = SteamCompatToolName(install.steamRoot, kSteamAppId);
    if (auto mapped = FindCompatTool(tool, roots, libraries))
        return mapped;
    return FindNewestProton(libraries);
}

} // namespace

std::optional<std::vector<std::string>> SplitShellWords(std::string_view text)
{
    std::vector<std::string> words;
    std::string word;
    bool inWord = false;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == ' ' || c == '\t' || c == '\n') {
            if (inWord)
                words.push_back(std::move(word));
            word.clear();
            inWord = false;
            continue;
        }
        inWord = true;
        if (c == '\'') {
            const size_t end = text.find('\'', i + 1);
            if (end == std::string_view::npos)
                return std::nullopt;
            word.append(text.substr(i + 1, end - i - 1));
            i = end;
        } else if (c == '"') {
            size_t j = i + 1;
            for (; j < text.size() && text[j] != '"'; ++j) {
                if (text[j] == '\\' && j + 1 < text.size() &&
                    std::string_view("\"\\$`").find(text[j + 1]) != std::string_view::npos)
                    ++j;
                word += text[j];
            }
            if (j >= text.size())
                return std::nullopt;
            i = j;
        } else if (c == '\\') {
            if (i + 1 < text.size())
                word += text[++i];
        } else {
            word += c;
        }
    }
    if (inWord)
        words.push_back(std::move(word));
    return words;
}

std::optional<std::string> FindNewestProton(const std::vector<std::string>& libraries)
{
    std::optional<std::string> best;
    std::vector<int> bestVersion;
    for (const std::string& library : libraries) {
        if (library.empty())
            continue;
        const std::string common = WithoutSlash(library) + "/steamapps/common/";
        std::vector<qm::fs::FolderEntry> entries;
        qm::fs::ListFolder(common, &entries);
        // Name order, so that of two equal versions the same one wins every time.
        std::sort(entries.begin(), entries.end(),
                  [](const auto& a, const auto& b) { return a.name < b.name; });
        for (const auto& entry : entries) {
            if (entry.kind != qm::fs::FileKind::Folder || entry.name.rfind("Proton", 0) != 0)
                continue;
            const std::string script = common + entry.name + "/proton";
            if (!qm::fs::IsRegularFile(script))
                continue;
            const std::vector<int> version = VersionOf(entry.name);
            // A numbered Proton beats an unnumbered one; among numbered ones the highest wins.
            if (!best || version > bestVersion) {
                best = script;
                bestVersion = version;
            }
        }
    }
    return best;
}

std::optional<std::vector<std::string>> SteamClientCommand()
{
    if (auto steam = qm::FindOnPath("steam"))
        return std::vector<std::string>{*steam};
    const auto flatpak = qm::FindOnPath("flatpak");
    if (!flatpak)
        return std::nullopt;
    for (const std::string& installation :
         {qm::XdgDataHome() + "/flatpak", std::string("/var/lib/flatpak")})
        if (qm::fs::IsFolder(installation + "/app/com.valvesoftware.Steam"))
            return std::vector<std::string>{*flatpak, "run", "com.valvesoftware.Steam"};
    return std::nullopt;
}

std::string WineThatCannotRun(const GameInstall& install, const GameRunner& runner)
{
    if (runner.kind != RunnerKind::Wine || runner.command.empty())
        return {};
    if (ReadPeMachine(install.executable) != PeMachine::I386)
        return {};
    return WineRuns32Bit(runner.command.front()) ? std::string() : runner.command.front();
}

GameRunner GameRunnerCommand(const GameInstall& install, const std::string& userCommand)
{
    GameRunner runner;
    const bool directProton = IsDirectProton(userCommand);
    if (!userCommand.empty() && !directProton) {
        const auto words = SplitShellWords(userCommand);
        if (words && !words->empty()) {
            // A user's Proton script needs the compat folders as much as ours.
            runner.kind = RunnerKind::User;
            runner.command = *words;
            runner.environment = LocationEnvironment(install);
            return runner;
        }
    }
    if (qm::IsNativeExecutable(install.executable))
        return runner;
    if (install.source == GameSource::Steam) {
        // The client applies the user's Proton choice, its runtime and overlay.
        if (const auto client = directProton ? std::nullopt : SteamClientCommand()) {
            runner.kind = RunnerKind::SteamClient;
            runner.command = *client;
            runner.command.insert(runner.command.end(), {"-applaunch", kSteamAppId});
            runner.namesExecutable = false;
            return runner;
        }
        if (const auto proton = SteamProton(install)) {
            runner.kind = RunnerKind::Proton;
            runner.command = {*proton, "run"};
            runner.environment = LocationEnvironment(install);
            return runner;
        }
        // No Proton: Wine with its default prefix is the next best thing.
    }
    if (!install.wineProgram.empty() && qm::fs::IsRegularFile(install.wineProgram)) {
        runner.kind = install.wineIsProton ? RunnerKind::Proton : RunnerKind::Wine;
        runner.command = {install.wineProgram};
        if (install.wineIsProton)
            runner.command.push_back("run");
        runner.environment = LocationEnvironment(install);
        return runner;
    }
    const auto wine = qm::FindOnPath("wine");
    if (!wine) {
        runner.found = false;
        return runner;
    }
    runner.kind = RunnerKind::Wine;
    runner.command = {*wine};
    if (install.source != GameSource::Steam && !install.wineIsProton)
        runner.environment = LocationEnvironment(install);
    return runner;
}

GameRunner GameRunnerCommand(const GameInstall& install)
{
    return GameRunnerCommand(
        install, qm::ReadRegString(qm::HKEY_CURRENT_USER, qm::SettingsKey, kGameRunnerValue));
}

} // namespace playdeck
