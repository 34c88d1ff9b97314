#pragma once

// Entry names: Windows-1252 bytes in the packfile, compared without regard to
// case as the game does, and turned into safe file names on extraction.

#include <string>
#include <string_view>
#include <vector>

namespace qm::vpp {

// The Windows-1252 lower-case form, byte for byte (ASCII, the accented
// letters and the three caron/ligature pairs).
std::string FoldName(std::string_view name);
unsigned char FoldByte(unsigned char c);
bool SameName(std::string_view a, std::string_view b);

// Why name cannot be an entry name, or "" when it can: empty, longer than 59
// bytes, a zero byte, a path separator, or a control character.
std::string EntryNameFault(std::string_view name);
// The first entry (index into names, skipping except) named like name, or -1.
int FindName(const std::vector<std::string>& names, std::string_view name, int except = -1);
// EntryNameFault plus the duplicate rule against the other names.
std::string EntryNameFault(std::string_view name, const std::vector<std::string>& names,
                           int except);

// The entry name for a file added from disk: its name (UTF-8 here) as
// Windows-1252 when every character has a byte there, else unchanged.
std::string EntryNameForFile(std::string_view fileName);

// The file an entry is extracted to. An entry name is taken as its display
// form (UTF-8); names that could reach outside the chosen folder are refused,
// characters Windows cannot store are replaced by '_', and Windows' device
// names get a leading '_'.
struct ExtractionName {
    std::string fileName; // empty when refused
    std::string refusal;  // why, when refused
};
ExtractionName ExtractionNameFor(std::string_view entryName);

// A warning for a packfile whose own file name the game's loader refuses, or "".
std::string PackfileNameWarning(const std::string& path);

} // namespace qm::vpp

namespace qm::vpp {

// The packfile a level file goes into so the launcher lists it: the level's
// base name + ".vpp" (the launcher looks for packfile base name + ".rfl").
std::string LevelPackfileNameFor(const std::string& rflPath);
// A note when names hold a level file but none the launcher would find for a
// packfile saved at path, or "".
std::string LevelListingWarning(const std::vector<std::string>& names, const std::string& path);

} // namespace qm::vpp
