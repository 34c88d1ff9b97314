#include "launcher/vpp_action.h"

#include "common/settings.h"
#include "launcher/game_locator.h"
#include "launcher/packfile.h"
#include "platform/string_util.h"

#include <filesystem>
#include <system_error>

namespace playdeck {

namespace {

std::string Absolute(const std::string& path)
{
    if (path.empty() || path.front() == qm::kPathSep)
        return path;
    std::error_code ec;
    const std::filesystem::path p = std::filesystem::absolute(path, ec);
    return ec ? path : p.string();
}

} // namespace

VppActionState ComputeVppAction(const std::string& path, const std::string& gameFolder,
                                const SiblingRecord& forge, const SiblingRecord& peek)
{
    VppActionState s;
    s.path = Absolute(path);
    const size_t slash = s.path.find_last_of(qm::kPathSep);
    s.folder = slash == std::string::npos ? std::string() : s.path.substr(0, slash + 1);
    s.fileName = s.path.substr(s.folder.size());
    s.base = s.fileName.size() > 4 ? s.fileName.substr(0, s.fileName.size() - 4) : std::string();
    s.fileLine = s.fileName;
    s.gameFolder = gameFolder;

    s.forge = forge;
    s.peek = peek;
    if (!ChooserCanUseSibling(SiblingTool::PackPeek, s.peek))
        s.peek.path.clear();

    // A name that leaves no level would start the game with an empty "-level ".
    s.isLevel = !s.base.empty() && FindRflInVpp(s.path) != -1;
    if (s.isLevel) {
        if (auto info = ReadLevelInfo(s.path))
            s.levelLine = info->levelName + " by " + info->author;
    }

    if (!gameFolder.empty()) {
        const std::string game = qm::asciiLower(gameFolder);
        const std::string f = qm::asciiLower(s.folder);
        const std::string sep(1, qm::kPathSep);
        s.inUserMaps = f == game + "user_maps" + sep + "single" + sep ||
                       f == game + "user_maps" + sep + "multi" + sep;
        const std::string mods = game + "mods" + sep;
        if (f.size() > mods.size() && f.compare(0, mods.size(), mods) == 0) {
            std::string rest = f.substr(mods.size());
            while (!rest.empty() && rest.back() == qm::kPathSep)
                rest.pop_back();
            if (!rest.empty() && rest.find(qm::kPathSep) == std::string::npos) {
                s.modName = rest;
                s.modLine = "MOD: " + rest;
                s.isMod = true;
            }
        }
    }

    s.playText = kPlayLevelText;
    s.playEnabled = s.inUserMaps && s.isLevel;
    s.editEnabled = !s.forge.path.empty();
    s.viewEnabled = !s.peek.path.empty();
    if (!s.isLevel && s.isMod) {
        s.playText = kPlayModText;
        s.base.clear(); // the MOD alone is started
        s.playEnabled = true;
    } else if (!s.isLevel) {
        s.playText = kPlayNothingText;
        s.playEnabled = false;
    } else if (!s.inUserMaps && s.isMod) {
        s.playText = kPlayModLevelText;
        s.playEnabled = true;
    } else if (!s.inUserMaps) {
        s.playText = kPlayNotInUserMapsText;
        s.playEnabled = false;
    }
    return s;
}

VppActionState ComputeVppAction(const std::string& path)
{
    return ComputeVppAction(path, GetGameFolder(), ReadSiblingRecord(SiblingTool::PackForge),
                            ReadSiblingRecord(SiblingTool::PackPeek));
}

std::optional<LaunchRequest> ChooserPlayRequest(const VppActionState& state)
{
    if (!state.playEnabled)
        return std::nullopt;
    return ChooserLaunchRequest(state.gameFolder, state.modName, state.base);
}

std::optional<SiblingStartRequest> ChooserToolRequest(const VppActionState& state, SiblingTool tool)
{
    const bool forge = tool == SiblingTool::PackForge;
    if (!(forge ? state.editEnabled : state.viewEnabled))
        return std::nullopt;
    return SiblingStartFor(forge ? state.forge : state.peek, state.path);
}

} // namespace playdeck
