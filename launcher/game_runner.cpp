#include "launcher/game_runner.h"

#include "common/settings.h"
#include "platform/process_start.h"

#include <QDir>
#include <QFileInfo>

namespace playdeck {

namespace {

constexpr const char* kSteamAppId = "20530";

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

// What the place the game was found in tells any runner: the prefix, or
// Proton's compat folders.
std::vector<std::pair<std::string, std::string>> LocationEnvironment(const GameInstall& install)
{
    if (install.source == GameSource::WinePrefix && !install.winePrefix.empty())
        return {{"WINEPREFIX", install.winePrefix}};
    if (install.source == GameSource::Steam && !install.steamLibrary.empty())
        return {{"STEAM_COMPAT_DATA_PATH",
                 WithoutSlash(install.steamLibrary) + "/steamapps/compatdata/" + kSteamAppId},
                {"STEAM_COMPAT_CLIENT_INSTALL_PATH", WithoutSlash(install.steamRoot)}};
    return {};
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
        const QDir common(QString::fromStdString(WithoutSlash(library) + "/steamapps/common"));
        const QStringList names = common.entryList({QStringLiteral("Proton*")},
                                                   QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
        for (const QString& name : names) {
            const QFileInfo script(common.filePath(name) + QStringLiteral("/proton"));
            if (!script.isFile())
                continue;
            const std::vector<int> version = VersionOf(name.toStdString());
            // A numbered Proton beats an unnumbered one; among numbered ones the highest wins.
            if (!best || version > bestVersion) {
                best = script.absoluteFilePath().toStdString();
                bestVersion = version;
            }
        }
    }
    return best;
}

GameRunner GameRunnerCommand(const GameInstall& install, const std::string& userCommand)
{
    GameRunner runner;
    if (!userCommand.empty()) {
        const auto words = SplitShellWords(userCommand);
        if (words && !words->empty()) {
            // A user's Proton script needs the compat folders as much as ours.
            runner.command = *words;
            runner.environment = LocationEnvironment(install);
            return runner;
        }
    }
    if (qm::IsNativeExecutable(install.executable))
        return runner;
    if (install.source == GameSource::Steam) {
        std::vector<std::string> libraries{install.steamLibrary};
        if (install.steamRoot != install.steamLibrary)
            libraries.push_back(install.steamRoot);
        if (const auto proton = FindNewestProton(libraries)) {
            runner.command = {*proton, "run"};
            runner.environment = LocationEnvironment(install);
            return runner;
        }
        // No Proton: Wine with its default prefix is the next best thing.
    }
    const auto wine = qm::FindOnPath("wine");
    if (!wine) {
        runner.found = false;
        return runner;
    }
    runner.command = {*wine};
    if (install.source == GameSource::WinePrefix)
        runner.environment = LocationEnvironment(install);
    return runner;
}

GameRunner GameRunnerCommand(const GameInstall& install)
{
    return GameRunnerCommand(
        install, qm::ReadRegString(qm::HKEY_CURRENT_USER, qm::SettingsKey, kGameRunnerValue));
}

} // namespace playdeck
