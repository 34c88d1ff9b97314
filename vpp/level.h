#pragma once

// What makes a packfile a level for the launcher: a level file named like the
// packfile, found by walking the directory as leniently as the game's own
// reader does, and the three strings of its level information.

#include "vpp/packfile.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qm::fs {
struct FileInfo;
}

namespace qm::vpp {

// Bumped whenever what the level-file name matches or what ReadLevelInfo
// reads changes: catalogue caches written under another number are ignored.
inline constexpr uint32_t kLevelRulesVersion = 2;

// The packfile's own name, lower-cased, without its last 4 characters, plus
// ".rfl": the name of the level file a level packfile carries.
std::string LevelFileNameFor(const std::string& packfilePath);

// Every name the level file of that packfile may carry in its directory:
// LevelFileNameFor, and when the packfile's file name is UTF-8 (an archive
// unpacked on Linux) its Windows-1252 spelling too, as the entries inside
// were written on Windows.
std::vector<std::string> LevelFileNamesFor(const std::string& packfilePath);

// A directory entry names the level file when it equals one of names without
// regard to case: folded as Windows-1252 folds (A-Z and \xC0-\xDE except
// \xD7), or as the process locale lower-cases single bytes.
bool LevelFileNameMatches(std::string_view entry, const std::vector<std::string>& names);

// Offset of the data block of the level file named like the packfile, or -1
// when the file cannot be read, is no version-1 packfile, or holds no such
// entry. Reads only the header and the directory up to the match.
int32_t FindRflInVpp(const std::string& path);

// Reads the level name, author and date of the packfile's level file. False
// (outputs untouched) when the packfile is no level or the level-information
// offset points outside the file; a string cut short by the end of the file
// ends there.
bool ReadLevelInfo(const std::string& path, std::string& levelName, std::string& author,
                   std::string& date);
std::optional<LevelInfo> ReadLevelInfo(const std::string& path);
// The same, also giving what the opened file was (kind Missing when it could
// not be opened), so a cache can key the answer to exactly that file.
std::optional<LevelInfo> ReadLevelInfo(const std::string& path, fs::FileInfo* fileInfo);

} // namespace qm::vpp
