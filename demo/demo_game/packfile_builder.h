#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace qm::demo {

// One contained file of a packfile. The directory's size field is the data's
// size unless sizeField says otherwise (for broken directories).
struct VppEntry {
    std::string name;
    std::string data;
    std::optional<int32_t> sizeField;
};

struct VppLayout {
    uint32_t signature = 0x51890ACE;
    uint32_t version = 1;
    std::optional<int32_t> countField; // the header's file count; entries.size() by default
};

// A version-1 packfile image: 2048-byte header block, 64-byte directory
// records, each data block 2048-aligned.
std::string BuildVpp(const std::vector<VppEntry>& entries, const VppLayout& layout = {});

// A length-prefixed level string (16-bit length, no terminator).
std::string RflString(const std::string& text);
std::string RflString(int16_t length, const std::string& bytes);

// A small level file whose level-information section holds the three strings.
std::string BuildRfl(const std::string& levelName, const std::string& author,
                     const std::string& date);
// The same with raw bytes after the information offset (which lies at 32).
std::string BuildRflRaw(int32_t infoOffset, const std::string& afterOffsetPlus12);

// Little-endian helpers.
void PutU32(std::string& out, uint32_t v);
void PutU16(std::string& out, uint16_t v);

// Writes bytes to path (the folder must exist); false on any error.
bool WriteBytes(const std::string& path, const std::string& bytes);

// Fills folder (which must exist) with count level packfiles "Level <i>.vpp",
// the level file third in a 3-entry directory, as the benchmarks scan them.
// False when a file cannot be written.
bool WriteBenchLevelPackfiles(const std::string& folder, int count);

} // namespace qm::demo
