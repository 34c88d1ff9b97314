#pragma once

// Red Faction packfiles (.vpp, version 1): a 2048-byte header block, a
// directory of 64-byte records (60-byte name, 32-bit size) padded to 2048,
// then every entry's data, each block padded to 2048 with zeros. All numbers
// are little-endian.

#include <climits>
#include <cstdint>
#include <cstring>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qm::fs {
class ReadFile;
}

namespace qm::vpp {

inline constexpr uint32_t kSignature = 0x51890ACE;
inline constexpr uint32_t kVersion = 1;
inline constexpr int64_t kBlock = 2048;
inline constexpr int64_t kHeaderSize = 16;
inline constexpr int64_t kRecordSize = 64;
inline constexpr int64_t kNameField = 60;
inline constexpr size_t kMaxNameLength = 59;       // the game needs the closing zero
inline constexpr int64_t kMaxFileSize = INT32_MAX; // the game keeps sizes in signed 32 bits
// The game's packfile loader keeps the packfile's own name in 32 bytes.
inline constexpr size_t kMaxPackfileNameLength = 31;

// x rounded up to the next multiple of 2048 (x itself when it is one).
constexpr int64_t AlignUp(int64_t x)
{
    return (x + kBlock - 1) / kBlock * kBlock;
}
// Where the first data block starts for a directory of count records.
constexpr int64_t FirstDataOffset(int64_t count)
{
    return kBlock + AlignUp(count * kRecordSize);
}

// Little-endian, as every number in a packfile; inline, as the directory
// walks call them for every record.
inline uint32_t LoadU32(const unsigned char* p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
inline void StoreU32(unsigned char* p, uint32_t v)
{
    p[0] = static_cast<unsigned char>(v);
    p[1] = static_cast<unsigned char>(v >> 8);
    p[2] = static_cast<unsigned char>(v >> 16);
    p[3] = static_cast<unsigned char>(v >> 24);
}

// The 16 header bytes as stored.
struct Header {
    uint32_t signature = 0;
    uint32_t version = 0;
    int32_t count = 0;
    uint32_t totalSize = 0;
    bool isVersion1() const { return signature == kSignature && version == kVersion; }
};
Header HeaderAt(const unsigned char* p);

// One 64-byte directory record as stored: the name cut at the first zero.
struct Record {
    std::string_view name;
    int32_t size = 0;
};
inline Record RecordAt(const unsigned char* p)
{
    const char* name = reinterpret_cast<const char*>(p);
    return {{name, strnlen(name, size_t(kNameField))},
            static_cast<int32_t>(LoadU32(p + kNameField))};
}

// Walks the directory of an open packfile record by record for readers that
// stop early and forgive a short file (the launcher looking for its level):
// the header and the first 32 records come in one read, further records 1024
// to a read. A directory cut short by the end of the file ends there.
class DirectoryCursor {
public:
    explicit DirectoryCursor(const fs::ReadFile& file);
    // The header was read and names a version-1 packfile.
    bool isPackfile() const { return m_isPackfile; }
    int32_t count() const { return m_header.count; }
    // The next record (valid until the next call), false after the last one.
    bool next(Record* record);

private:
    const fs::ReadFile& m_file;
    Header m_header;
    bool m_isPackfile = false;
    std::vector<unsigned char> m_block;
    int64_t m_index = 0; // of the next record
    int64_t m_first = 0; // records held in m_block: [m_first, m_first + m_held)
    int64_t m_held = 0;
    size_t m_at = 0; // of record m_index in m_block
};

struct Entry {
    std::string name; // Windows-1252 bytes as stored, cut at the first zero
    uint32_t size = 0;
    int64_t offset = 0; // of the data block in the file
    bool operator==(const Entry&) const = default;
};

struct Directory {
    std::vector<Entry> entries;
    // What the header claims the whole file holds. Tools disagree on it (some
    // count the data only) and the game does not rely on it: not a warning.
    uint32_t totalSizeField = 0;
    uint64_t fileSize = 0;
    // Faults the game lives with: the packfile still opens.
    std::vector<std::string> warnings;
    uint64_t dataBytes() const;
};

// Checks and reads header and directory from bytes (the file from offset 0,
// at least up to the end of the directory) of a file of fileSize bytes.
// False with a message naming the first fault; nothing is read before it is
// checked to lie inside bytes and inside the file.
bool ParseDirectory(std::string_view bytes, uint64_t fileSize, Directory* out, std::string* error);

// The same from a file, read as ScanDirectory reads it.
bool ReadDirectory(const std::string& path, Directory* out, std::string* error);
bool ReadDirectory(const fs::ReadFile& file, Directory* out, std::string* error);

// An entry as a scan hands it on: the name points into the directory bytes
// and is valid during the call only.
struct EntryView {
    std::string_view name;
    uint32_t size = 0;
    int64_t offset = 0;
};
using EntryVisitor = std::function<void(const EntryView&)>;
// Reads up to size bytes at offset into buffer; the count read.
using ByteReader = std::function<size_t(void* buffer, size_t size, int64_t offset)>;
// Directory records read at a time (64 KiB).
inline constexpr int64_t kRecordsPerRead = 1024;

// The checks of ParseDirectory, then every entry in order to visit without a
// copy of the directory (a listing of ten thousand entries needs none). The
// directory is read recordsPerRead records at a time into one buffer, twice:
// once to check, once to visit. Nothing is visited when the packfile has a
// fault; a file changed between the two reads ends the scan with an error.
// Warnings as Directory's.
bool ScanDirectory(const ByteReader& read, uint64_t fileSize, const EntryVisitor& visit,
                   std::vector<std::string>* warnings, std::string* error,
                   int64_t recordsPerRead = kRecordsPerRead);
bool ScanDirectory(std::string_view bytes, uint64_t fileSize, const EntryVisitor& visit,
                   std::vector<std::string>* warnings, std::string* error);
bool ScanDirectory(const fs::ReadFile& file, const EntryVisitor& visit,
                   std::vector<std::string>* warnings, std::string* error);

// The three strings a level file carries about itself, as stored (8-bit).
struct LevelInfo {
    std::string levelName;
    std::string author;
    std::string date;
    bool operator==(const LevelInfo&) const = default;
};

// Level name, author and date of a level file whose data starts at base in
// file and is at most limit bytes long (the end of the file when limit is
// negative). Nothing when the information offset lies outside; strings cut
// short by the end end there.
std::optional<LevelInfo> ReadLevelInfoAt(const fs::ReadFile& file, int64_t base,
                                         int64_t limit = -1);
// The three strings of the level information starting at pos, read as far as
// end: a string cut short there ends there, later ones are empty. Nothing when
// not even the first length lies before end.
std::optional<LevelInfo> ReadLevelStrings(const fs::ReadFile& file, int64_t pos, int64_t end);

} // namespace qm::vpp
