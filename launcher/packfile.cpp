#include "launcher/packfile.h"

#include "common/display_text.h"
#include "common/settings.h"

#include "platform/file_system.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstring>

namespace playdeck {

namespace {

uint32_t LoadU32(const unsigned char* p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

int32_t LoadI32(const unsigned char* p)
{
    return static_cast<int32_t>(LoadU32(p));
}

int16_t LoadI16(const unsigned char* p)
{
    return static_cast<int16_t>(uint16_t(p[0]) | uint16_t(p[1]) << 8);
}

void LowerInPlace(std::string& s)
{
    // The process locale's single-byte rules, as the platform's lower-casing.
    for (char& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

// The header block and the first 32 directory records: one read covers the
// directory of most packfiles.
constexpr size_t kFirstRead = size_t(kVppBlock + 32 * kVppDirEntrySize);
// Records of a longer directory, per further read.
constexpr size_t kDirRecordsPerRead = 1024;
// The level-information strings are short; a longer set takes a second read.
constexpr size_t kInfoRead = 512;

// Offset of the level file's data block in the open packfile, or -1.
int64_t FindRfl(const qm::fs::ReadFile& file, const std::string& path)
{
    std::vector<unsigned char> block(kFirstRead);
    size_t got = file.readAt(block.data(), block.size(), 0);
    if (got < 16)
        return -1;
    const unsigned char* header = block.data();
    if (LoadU32(header) != kVppSignature || LoadU32(header + 4) != kVppVersion)
        return -1;
    const int32_t count = LoadI32(header + 8);

    const std::vector<std::string> targets = LevelFileNamesFor(path);
    if (targets.back().size() > size_t(kVppNameSize))
        return -1; // no 60-byte directory name can equal it (the last is the shortest)
    int64_t offset = AlignUp2048((int64_t(count) + 32) * kVppDirEntrySize);
    // Records held in block: [first, first + held).
    int64_t first = 0;
    int64_t held = got > size_t(kVppBlock) ? int64_t(got - kVppBlock) / kVppDirEntrySize : 0;
    size_t at = size_t(kVppBlock);
    for (int64_t i = 0; i < count; ++i, at += kVppDirEntrySize) {
        if (i >= first + held) {
            const int64_t want = std::min<int64_t>(count - i, kDirRecordsPerRead);
            block.resize(size_t(want * kVppDirEntrySize));
            got = file.readAt(block.data(), block.size(), kVppBlock + i * kVppDirEntrySize);
            first = i;
            held = int64_t(got) / kVppDirEntrySize;
            at = 0;
            // A directory cut short by the end of the file holds no further entry.
            if (held == 0)
                return -1;
        }
        const unsigned char* entry = block.data() + at;
        const size_t len = strnlen(reinterpret_cast<const char*>(entry), kVppNameSize);
        if (LevelFileNameMatches({reinterpret_cast<const char*>(entry), len}, targets))
            return offset <= INT32_MAX ? offset : -1;
        const int32_t size = LoadI32(entry + kVppNameSize);
        if (size < 0)
            return -1; // a broken directory: nothing after it can be placed
        offset += AlignUp2048(size);
        if (offset > INT32_MAX)
            return -1;
    }
    return -1;
}

// The three strings at pos. A string cut short by the end of the file ends
// there and later ones are empty; false when not even the first length is
// in the file.
bool ReadRflStrings(const qm::fs::ReadFile& file, int64_t pos, LevelInfo& info)
{
    std::string block(kInfoRead, '\0');
    size_t got = file.readAt(block.data(), block.size(), pos);
    // Bytes of the three strings together; known once their lengths are.
    const auto needed = [&block](size_t have) -> size_t {
        size_t at = 0;
        for (int s = 0; s < 3; ++s) {
            if (at + 2 > have)
                return at + 2;
            const int16_t n = LoadI16(reinterpret_cast<const unsigned char*>(block.data() + at));
            at += 2 + size_t(n > 0 ? n : 0);
        }
        return at;
    };
    for (size_t need = needed(got); need > got && got == block.size(); need = needed(got)) {
        // Longer than the first read: read the rest (lengths are at most 32767).
        const size_t more = std::max(need, block.size() * 2);
        block.resize(more);
        got += file.readAt(block.data() + got, more - got, pos + int64_t(got));
    }
    block.resize(got);
    if (got < 2)
        return false;
    std::string* out[3] = {&info.levelName, &info.author, &info.date};
    size_t at = 0;
    for (std::string* s : out) {
        s->clear();
        if (at + 2 > got)
            continue;
        const int16_t n = LoadI16(reinterpret_cast<const unsigned char*>(block.data() + at));
        at += 2;
        if (n <= 0)
            continue;
        const size_t take = std::min(size_t(n), got - at);
        s->assign(block, at, take);
        at += size_t(n);
    }
    return true;
}

} // namespace

std::string LevelFileNameFor(const std::string& packfilePath)
{
    const size_t sep = packfilePath.find_last_of(qm::kPathSep);
    std::string name = sep == std::string::npos ? packfilePath : packfilePath.substr(sep + 1);
    LowerInPlace(name);
    name.resize(name.size() > 4 ? name.size() - 4 : 0);
    return name + ".rfl";
}

std::vector<std::string> LevelFileNamesFor(const std::string& packfilePath)
{
    std::vector<std::string> names{LevelFileNameFor(packfilePath)};
    const size_t sep = packfilePath.find_last_of(qm::kPathSep);
    const std::string file = sep == std::string::npos ? packfilePath : packfilePath.substr(sep + 1);
    std::string windows;
    if (qm::IsValidUtf8(file) && qm::Utf8ToWindows1252(file, &windows) && windows != file) {
        windows.resize(windows.size() > 4 ? windows.size() - 4 : 0);
        names.push_back(windows + ".rfl");
    }
    return names;
}

namespace {
char FoldWindows1252(char c)
{
    const auto u = static_cast<unsigned char>(c);
    const bool upper = (u >= 'A' && u <= 'Z') || (u >= 0xC0 && u <= 0xDE && u != 0xD7);
    return upper ? static_cast<char>(u + 0x20) : c;
}

bool SameFolded(std::string_view a, std::string_view b, char (*fold)(char))
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (fold(a[i]) != fold(b[i]))
            return false;
    return true;
}

char FoldLocale(char c)
{
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}
} // namespace

bool LevelFileNameMatches(std::string_view entry, const std::vector<std::string>& names)
{
    for (const std::string& name : names)
        if (SameFolded(entry, name, FoldWindows1252) || SameFolded(entry, name, FoldLocale))
            return true;
    return false;
}

int32_t FindRflInVpp(const std::string& path)
{
    const qm::fs::ReadFile file(path);
    if (!file.isOpen())
        return -1;
    return static_cast<int32_t>(FindRfl(file, path));
}

std::optional<LevelInfo> ReadLevelInfo(const std::string& path, qm::fs::FileInfo* fileInfo)
{
    // One open serves both steps.
    const qm::fs::ReadFile file(path);
    if (fileInfo)
        *fileInfo = file.info();
    if (!file.isOpen())
        return std::nullopt;
    const int64_t base = FindRfl(file, path);
    if (base < 0)
        return std::nullopt;
    unsigned char x[4];
    if (!file.readExact(x, sizeof x, base + 16))
        return std::nullopt;
    const int64_t pos = base + LoadI32(x) + 12;
    if (pos < 0)
        return std::nullopt;
    LevelInfo info;
    // The first length must be there: an offset past the end is no level.
    if (!ReadRflStrings(file, pos, info))
        return std::nullopt;
    return info;
}

bool ReadLevelInfo(const std::string& path, std::string& levelName, std::string& author,
                   std::string& date)
{
    auto info = ReadLevelInfo(path, nullptr);
    if (!info)
        return false;
    levelName = std::move(info->levelName);
    author = std::move(info->author);
    date = std::move(info->date);
    return true;
}

std::optional<LevelInfo> ReadLevelInfo(const std::string& path)
{
    return ReadLevelInfo(path, nullptr);
}

} // namespace playdeck
