#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace playdeck {

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
std::vector<CatalogueRow> ScanLevelFolder(const std::string& folder);
// MOD folders: a MOD row for each sub-folder holding at least one packfile,
// followed by a MOD level row (MOD, filename, level name, author, date) for
// each of its level packfiles.
std::vector<CatalogueRow> ScanModsFolder(const std::string& folder);
// The scan a mode command runs: gameFolder + ModeFolder(mode).
std::vector<CatalogueRow> ScanMode(LevelMode mode, const std::string& gameFolder);

// "LastMode" in the launcher's settings key (default 0). The raw number is
// returned as stored so that a broken value shows as such (no mode checked).
int32_t ReadLastMode();
bool StoreLastMode(LevelMode mode);

// Appends the native separator when folder does not end in one.
std::string WithTrailingSeparator(std::string folder);

} // namespace playdeck
