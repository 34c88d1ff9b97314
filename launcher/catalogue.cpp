#include "launcher/catalogue.h"

#include "common/settings.h"
#include "launcher/catalogue_cache.h"
#include "launcher/packfile.h"
#include "platform/file_system.h"

#include <algorithm>
#include <array>

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

// Names in folder of the given kind, accepted by keep, in listing order. An
// unreadable folder has none.
template <typename Keep>
std::vector<std::string> ListFolder(const std::string& folder, qm::fs::FileKind kind, Keep keep)
{
    std::vector<qm::fs::FolderEntry> entries;
    std::vector<std::string> names;
    if (!qm::fs::ListFolder(folder, &entries))
        return names;
    for (qm::fs::FolderEntry& e : entries)
        if (e.kind == kind && keep(e.name))
            names.push_back(std::move(e.name));
    std::sort(names.begin(), names.end(), NameLess);
    return names;
}

std::vector<std::string> Packfiles(const std::string& folder)
{
    return ListFolder(folder, qm::fs::FileKind::Regular, EndsWithVpp);
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

namespace {

std::optional<LevelInfo> LevelOf(CatalogueCache* cache, const std::string& folder,
                                 const std::string& relativeName)
{
    return cache ? cache->levelInfo(relativeName) : ReadLevelInfo(folder + relativeName);
}

} // namespace

std::vector<CatalogueRow> ScanLevelFolder(const std::string& folderIn, CatalogueCache* cache)
{
    const std::string folder = WithTrailingSeparator(folderIn);
    std::vector<CatalogueRow> rows;
    for (std::string& name : Packfiles(folder)) {
        auto info = LevelOf(cache, folder, name);
        if (!info)
            continue;
        rows.push_back({std::move(name), std::move(info->levelName), std::move(info->author),
                        std::move(info->date)});
    }
    return rows;
}

std::vector<CatalogueRow> ScanModsFolder(const std::string& folderIn, CatalogueCache* cache)
{
    const std::string folder = WithTrailingSeparator(folderIn);
    std::vector<CatalogueRow> rows;
    const auto any = [](const std::string&) { return true; };
    for (const std::string& mod : ListFolder(folder, qm::fs::FileKind::Folder, any)) {
        const std::string inMod = mod + qm::kPathSep;
        const std::vector<std::string> packfiles = Packfiles(folder + inMod);
        if (packfiles.empty())
            continue;
        rows.push_back({mod, {}, {}, {}, {}});
        for (const std::string& name : packfiles) {
            auto info = LevelOf(cache, folder, inMod + name);
            if (!info)
                continue;
            rows.push_back({mod, name, std::move(info->levelName), std::move(info->author),
                            std::move(info->date)});
        }
    }
    return rows;
}

std::vector<CatalogueRow> ScanModeFolder(LevelMode mode, const std::string& folderIn)
{
    const std::string folder = WithTrailingSeparator(folderIn);
    CatalogueCache cache(CatalogueCache::DefaultFolder(), folder);
    auto rows =
        mode == LevelMode::Mods ? ScanModsFolder(folder, &cache) : ScanLevelFolder(folder, &cache);
    // A cache that cannot be written only costs the next start its speed.
    cache.save();
    return rows;
}

std::vector<CatalogueRow> ScanMode(LevelMode mode, const std::string& gameFolder)
{
    // Without a game folder there is nothing to scan (never the root folder).
    if (gameFolder.empty())
        return {};
    return ScanModeFolder(mode, WithTrailingSeparator(gameFolder) + ModeFolder(mode));
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

namespace {
const char* LastPlayedValue(LevelMode mode)
{
    switch (mode) {
    case LevelMode::Singleplayer:
        return "LastPlayed_Singleplayer";
    case LevelMode::Multiplayer:
        return "LastPlayed_Multiplayer";
    case LevelMode::Mods:
        return "LastPlayed_MODLevel";
    }
    return "";
}
constexpr const char* kLastPlayedMod = "LastPlayed_MOD";
} // namespace

LastPlayed ReadLastPlayed(LevelMode mode)
{
    LastPlayed played;
    played.level =
        qm::ReadRegString(qm::HKEY_CURRENT_USER, qm::SettingsKey, LastPlayedValue(mode), "");
    if (mode == LevelMode::Mods)
        played.mod = qm::ReadRegString(qm::HKEY_CURRENT_USER, qm::SettingsKey, kLastPlayedMod, "");
    return played;
}

bool StoreLastPlayed(LevelMode mode, const LastPlayed& played)
{
    bool ok = qm::WriteRegString(qm::HKEY_CURRENT_USER, qm::SettingsKey, LastPlayedValue(mode),
                                 played.level);
    if (mode == LevelMode::Mods)
        ok = qm::WriteRegString(qm::HKEY_CURRENT_USER, qm::SettingsKey, kLastPlayedMod,
                                played.mod) &&
             ok;
    return ok;
}

LastPlayed LastPlayedOfRow(LevelMode mode, const CatalogueRow& row)
{
    const auto cell = [&row](size_t i) { return i < row.size() ? row[i] : std::string(); };
    if (mode == LevelMode::Mods)
        return {cell(0), cell(1)};
    return {{}, cell(0)};
}

int RowToSelect(const std::vector<CatalogueRow>& rows, LevelMode mode, const LastPlayed& played)
{
    if (rows.empty())
        return -1;
    if (!played.level.empty() || !played.mod.empty()) {
        for (size_t r = 0; r < rows.size(); ++r)
            if (LastPlayedOfRow(mode, rows[r]) == played)
                return static_cast<int>(r);
    }
    return 0;
}

} // namespace playdeck
