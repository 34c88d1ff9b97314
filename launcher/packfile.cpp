#include "launcher/packfile.h"

#include "common/display_text.h"
#include "common/settings.h"

#include <cctype>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace playdeck {

namespace {

// One open file, closed on every way out.
class ReadOnlyFile {
public:
    explicit ReadOnlyFile(const std::string& path)
        : m_fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC))
    {
    }
    ~ReadOnlyFile()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    ReadOnlyFile(const ReadOnlyFile&) = delete;
    ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;

    bool isOpen() const { return m_fd >= 0; }

    // Reads up to size bytes at offset; the count read (0 on an error or a
    // position outside the file).
    size_t readAt(void* buffer, size_t size, int64_t offset) const
    {
        if (offset < 0)
            return 0;
        size_t done = 0;
        while (done < size) {
            const ssize_t n = ::pread(m_fd, static_cast<char*>(buffer) + done, size - done,
                                      static_cast<off_t>(offset) + static_cast<off_t>(done));
            if (n <= 0)
                break;
            done += static_cast<size_t>(n);
        }
        return done;
    }

    // The whole of size bytes at offset, or false.
    bool readExact(void* buffer, size_t size, int64_t offset) const
    {
        return readAt(buffer, size, offset) == size;
    }

private:
    int m_fd;
};

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

// Reads one length-prefixed string at pos and advances pos past it. A string
// cut short by the end of the file ends there; false when not even its
// length could be read.
bool ReadRflString(const ReadOnlyFile& file, int64_t& pos, std::string& out)
{
    out.clear();
    unsigned char len[2];
    if (!file.readExact(len, 2, pos))
        return false;
    pos += 2;
    const int16_t n = LoadI16(len);
    if (n <= 0)
        return true;
    out.resize(static_cast<size_t>(n));
    const size_t got = file.readAt(out.data(), out.size(), pos);
    out.resize(got);
    pos += n;
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
    ReadOnlyFile file(path);
    if (!file.isOpen())
        return -1;
    unsigned char header[16];
    if (!file.readExact(header, sizeof header, 0))
        return -1;
    if (LoadU32(header) != kVppSignature || LoadU32(header + 4) != kVppVersion)
        return -1;
    const int32_t count = LoadI32(header + 8);

    const std::vector<std::string> targets = LevelFileNamesFor(path);
    if (targets.back().size() > size_t(kVppNameSize))
        return -1; // no 60-byte directory name can equal it (the last is the shortest)
    int64_t offset = AlignUp2048((int64_t(count) + 32) * kVppDirEntrySize);
    int64_t record = kVppBlock;
    unsigned char entry[kVppDirEntrySize];
    for (int32_t i = 0; i < count; ++i, record += kVppDirEntrySize) {
        // A directory cut short by the end of the file holds no further entry.
        if (!file.readExact(entry, sizeof entry, record))
            return -1;
        const size_t len = strnlen(reinterpret_cast<const char*>(entry), kVppNameSize);
        if (LevelFileNameMatches({reinterpret_cast<const char*>(entry), len}, targets))
            return offset <= INT32_MAX ? static_cast<int32_t>(offset) : -1;
        const int32_t size = LoadI32(entry + kVppNameSize);
        if (size < 0)
            return -1; // a broken directory: nothing after it can be placed
        offset += AlignUp2048(size);
        if (offset > INT32_MAX)
            return -1;
    }
    return -1;
}

bool ReadLevelInfo(const std::string& path, std::string& levelName, std::string& author,
                   std::string& date)
{
    const int32_t base = FindRflInVpp(path);
    if (base < 0)
        return false;
    ReadOnlyFile file(path);
    if (!file.isOpen())
        return false;
    unsigned char x[4];
    if (!file.readExact(x, sizeof x, int64_t(base) + 16))
        return false;
    int64_t pos = int64_t(base) + LoadI32(x) + 12;
    if (pos < 0)
        return false;
    std::string strings[3];
    // The first length must be there: an offset past the end is no level.
    if (!ReadRflString(file, pos, strings[0]))
        return false;
    // Later strings cut off by the end of the file are empty.
    ReadRflString(file, pos, strings[1]);
    ReadRflString(file, pos, strings[2]);
    levelName = std::move(strings[0]);
    author = std::move(strings[1]);
    date = std::move(strings[2]);
    return true;
}

std::optional<LevelInfo> ReadLevelInfo(const std::string& path)
{
    LevelInfo info;
    if (!ReadLevelInfo(path, info.levelName, info.author, info.date))
        return std::nullopt;
    return info;
}

} // namespace playdeck
