#include "launcher/catalogue.h"

#include "common/settings.h"
#include "launcher/packfile.h"

#include <algorithm>
#include <array>
#include <dirent.h>
#include <sys/stat.h>

namespace playdeck {

namespace {

constexpr std::array<ColumnSpec, 4> kLevelColumns{{
    {"Filename", 180},
    {"Level name", 160},
    {"Author", 160},
    {"Date", 220},
}};

constexpr std::array<ColumnSpec, 5> kModColumns{{
    {"MOD name", 80},
    {"Level", 100},
    {"Level name", 160},
    {"Author", 160},
    {"Date", 220},
}};

char FoldAscii(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EndsWithVpp(const std::string& name)
{
    static constexpr char kExt[] = ".vpp";
    if (name.size() < 4)
        return false;
    for (size_t i = 0; i < 4; ++i)
        if (FoldAscii(name[name.size() - 4 + i]) != kExt[i])
            return false;
    return true;
}

// Case-insensitive first, like the listing order of the game's home platform;
// byte order breaks ties so the order is total.
bool NameLess(const std::string& a, const std::string& b)
{
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        const unsigned char x = static_cast<unsigned char>(FoldAscii(a[i]));
        const unsigned char y = static_cast<unsigned char>(FoldAscii(b[i]));
        if (x != y)
            return x < y;
    }
    if (a.size() != b.size())
        return a.size() < b.size();
    return a < b;
}

enum class EntryKind { File, Folder };

bool IsKind(const std::string& folder, const dirent* e, EntryKind kind)
{
    unsigned char type = e->d_type;
    if (type == DT_UNKNOWN || type == DT_LNK) {
        struct stat st {};
        if (::stat((folder + e->d_name).c_str(), &st) != 0)
            return false;
        type = S_ISREG(st.st_mode) ? DT_REG : S_ISDIR(st.st_mode) ? DT_DIR : DT_UNKNOWN;
    }
    return kind == EntryKind::File ? type == DT_REG : type == DT_DIR;
}

// Names in folder (which ends in a separator) of the given kind, accepted by
// keep, in listing order. An unreadable folder has none.
template <typename Keep>
std::vector<std::string> ListFolder(const std::string& folder, EntryKind kind, Keep keep)
{
    std::vector<std::string> names;
    DIR* dir = ::opendir(folder.c_str());
    if (!dir)
        return names;
    while (const dirent* e = ::readdir(dir)) {
        std::string name = e->d_name;
        if (name == "." || name == "..")
            continue;
        if (keep(name) && IsKind(folder, e, kind))
            names.push_back(std::move(name));
    }
    ::closedir(dir);
    std::sort(names.begin(), names.end(), NameLess);
    return names;
}

std::vector<std::string> Packfiles(const std::string& folder)
{
    return ListFolder(folder, EntryKind::File, EndsWithVpp);
}

} // namespace

std::optional<LevelMode> ModeFromNumber(int64_t number)
{
    if (number < 0 || number > 2)
        return std::nullopt;
    return static_cast<LevelMode>(number);
}

std::optional<LevelMode> ModeFromName(std::string_view name)
{
    if (name == "single")
        return LevelMode::Singleplayer;
    if (name == "multi")
        return LevelMode::Multiplayer;
    if (name == "mods")
        return LevelMode::Mods;
    return std::nullopt;
}

const char* ModeName(LevelMode mode)
{
    switch (mode) {
    case LevelMode::Singleplayer:
        return "single";
    case LevelMode::Multiplayer:
        return "multi";
    case LevelMode::Mods:
        return "mods";
    }
    return "";
}

std::span<const ColumnSpec> ColumnsOf(int32_t modeNumber)
{
    if (modeNumber == static_cast<int32_t>(LevelMode::Mods))
        return kModColumns;
    return kLevelColumns;
}

std::span<const ColumnSpec> ColumnsOf(LevelMode mode)
{
    return ColumnsOf(static_cast<int32_t>(mode));
}

std::string ModeFolder(LevelMode mode)
{
    const std::string sep(1, qm::kPathSep);
    switch (mode) {
    case LevelMode::Singleplayer:
        return "user_maps" + sep + "single" + sep;
    case LevelMode::Multiplayer:
        return "user_maps" + sep + "multi" + sep;
    case LevelMode::Mods:
        return "mods" + sep;
    }
    return std::string();
}

std::string WithTrailingSeparator(std::string folder)
{
    if (folder.empty() || folder.back() != qm::kPathSep)
        folder.push_back(qm::kPathSep);
    return folder;
}

std::vector<CatalogueRow> ScanLevelFolder(const std::string& folderIn)
{
    const std::string folder = WithTrailingSeparator(folderIn);
    std::vector<CatalogueRow> rows;
    for (std::string& name : Packfiles(folder)) {
        LevelInfo info;
        if (!ReadLevelInfo(folder + name, info.levelName, info.author, info.date))
            continue;
        rows.push_back({std::move(name), std::move(info.levelName), std::move(info.author),
                        std::move(info.date)});
    }
    return rows;
}

std::vector<CatalogueRow> ScanModsFolder(const std::string& folderIn)
{
    const std::string folder = WithTrailingSeparator(folderIn);
    std::vector<CatalogueRow> rows;
    const auto any = [](const std::string&) { return true; };
    for (const std::string& mod : ListFolder(folder, EntryKind::Folder, any)) {
        const std::string modFolder = folder + mod + qm::kPathSep;
        const std::vector<std::string> packfiles = Packfiles(modFolder);
        if (packfiles.empty())
            continue;
        rows.push_back({mod, {}, {}, {}, {}});
        for (const std::string& name : packfiles) {
            LevelInfo info;
            if (!ReadLevelInfo(modFolder + name, info.levelName, info.author, info.date))
                continue;
            rows.push_back({mod, name, std::move(info.levelName), std::move(info.author),
                            std::move(info.date)});
        }
    }
    return rows;
}

std::vector<CatalogueRow> ScanMode(LevelMode mode, const std::string& gameFolder)
{
    // Without a game folder there is nothing to scan (never the root folder).
    if (gameFolder.empty())
        return {};
    const std::string folder = WithTrailingSeparator(gameFolder) + ModeFolder(mode);
    return mode == LevelMode::Mods ? ScanModsFolder(folder) : ScanLevelFolder(folder);
}

int32_t ReadLastMode()
{
    return static_cast<int32_t>(
        qm::ReadRegDword(qm::HKEY_CURRENT_USER, qm::SettingsKey, "LastMode", 0));
}

bool StoreLastMode(LevelMode mode)
{
    return qm::WriteRegDword(qm::HKEY_CURRENT_USER, qm::SettingsKey, "LastMode",
                             static_cast<uint32_t>(mode));
}

} // namespace playdeck
