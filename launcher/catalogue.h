#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace playdeck {

class CatalogueCache;

// The list's modes; the numbers are stored as "LastMode".
enum class LevelMode : int32_t { Singleplayer = 0, Multiplayer = 1, Mods = 2 };

struct ColumnSpec {
    const char* caption;
    int width; // pixels
};

// A row holds text only: one string per column of its mode (MOD rows leave
// every column but the first empty).
using CatalogueRow = std::vector<std::string>;

// A stored mode number as a mode; nothing for numbers outside 0..2.
std::optional<LevelMode> ModeFromNumber(int64_t number);
// "single", "multi", "mods" (the --list names).
std::optional<LevelMode> ModeFromName(std::string_view name);
const char* ModeName(LevelMode mode);

// Columns of a mode number: the Mods table for 2, the level table for any
// other number (a broken "LastMode" still shows the four level columns).
std::span<const ColumnSpec> ColumnsOf(int32_t modeNumber);
std::span<const ColumnSpec> ColumnsOf(LevelMode mode);

// The mode's folder below the game folder, native separators, trailing
// separator: "user_maps/single/", "user_maps/multi/", "mods/".
std::string ModeFolder(LevelMode mode);

// Level packfiles of one folder: filename (with extension), level name,
// author, date. Files are taken in name order (case-insensitive first, then
// byte order) since the file system gives no stable order of its own; a folder
// that cannot be read gives no rows.
// With a cache, unchanged packfiles are not opened again.
std::vector<CatalogueRow> ScanLevelFolder(const std::string& folder,
                                          CatalogueCache* cache = nullptr);
// MOD folders: a MOD row for each sub-folder holding at least one packfile,
// followed by a MOD level row (MOD, filename, level name, author, date) for
// each of its level packfiles.
std::vector<CatalogueRow> ScanModsFolder(const std::string& folder,
                                         CatalogueCache* cache = nullptr);
// The scan of a mode's folder through the user's catalogue cache, which is
// brought up to date afterwards.
std::vector<CatalogueRow> ScanModeFolder(LevelMode mode, const std::string& folder);
// The scan a mode command runs: ScanModeFolder of gameFolder + ModeFolder(mode).
std::vector<CatalogueRow> ScanMode(LevelMode mode, const std::string& gameFolder);

// "LastMode" in the launcher's settings key (default 0). The raw number is
// returned as stored so that a broken value shows as such (no mode checked).
int32_t ReadLastMode();
bool StoreLastMode(LevelMode mode);

// The level last played from the list in a mode: the packfile's file name as
// listed, and in the MOD mode its MOD (level empty for a MOD started alone).
struct LastPlayed {
    std::string mod;
    std::string level;
    bool operator==(const LastPlayed&) const = default;
};
// "LastPlayed_Singleplayer", "LastPlayed_Multiplayer", "LastPlayed_MOD" and
// "LastPlayed_MODLevel" in the launcher's settings key (default empty).
LastPlayed ReadLastPlayed(LevelMode mode);
bool StoreLastPlayed(LevelMode mode, const LastPlayed& played);
// What a row of the mode would store when played.
LastPlayed LastPlayedOfRow(LevelMode mode, const CatalogueRow& row);
// The row a scan leaves selected: the last played one when it is listed,
// else the first; -1 for an empty list.
int RowToSelect(const std::vector<CatalogueRow>& rows, LevelMode mode, const LastPlayed& played);

// Appends the native separator when folder does not end in one.
std::string WithTrailingSeparator(std::string folder);

} // namespace playdeck
