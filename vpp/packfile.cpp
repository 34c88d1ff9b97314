#include "vpp/packfile.h"

#include "common/display_text.h"
#include "platform/file_system.h"
#include "vpp/names.h"

#include <array>
#include <cstdio>
#include <cstring>
#include <memory>

namespace qm::vpp {

namespace {

std::string Format(const char* format, auto... args)
{
    char buffer[512];
    std::snprintf(buffer, sizeof buffer, format, args...);
    return buffer;
}

std::string Quoted(const std::string& name)
{
    return "\"" + DisplayUtf8(name) + "\"";
}

int16_t LoadI16(const unsigned char* p)
{
    return static_cast<int16_t>(uint16_t(p[0]) | uint16_t(p[1]) << 8);
}

const std::array<unsigned char, 256>& FoldTable()
{
    static const std::array<unsigned char, 256> table = [] {
        std::array<unsigned char, 256> t{};
        for (int c = 0; c < 256; ++c)
            t[size_t(c)] = FoldByte(static_cast<unsigned char>(c));
        return t;
    }();
    return table;
}

// Finds names used twice without building a folded copy of every name: a
// directory of ten thousand entries is read in little more than its read.
class DuplicateFinder {
public:
    explicit DuplicateFinder(size_t count) : m_slots(Slots()), m_hashes(Hashes())
    {
        size_t slots = 16;
        while (slots < count * 2)
            slots *= 2;
        m_slots.assign(slots, 0);
        m_hashes.clear();
        m_hashes.reserve(count);
    }
    ~DuplicateFinder()
    {
        // Kept for the next directory, unless a huge one would pin the memory.
        if (m_slots.capacity() > kKeep) {
            m_slots = {};
            m_hashes = {};
        }
    }
    // The index of an earlier entry with the same name, or -1; remembers this one.
    int64_t add(const std::vector<Entry>& entries, size_t index)
    {
        const std::string& name = entries[index].name;
        // Folded eight bytes at a time, then mixed per word, not per byte.
        uint64_t h = name.size() * 0x9E3779B97F4A7C15ull;
        for (size_t at = 0; at < name.size(); at += 8) {
            uint64_t word = 0;
            const size_t n = std::min<size_t>(8, name.size() - at);
            for (size_t k = 0; k < n; ++k)
                word |= uint64_t(FoldTable()[static_cast<unsigned char>(name[at + k])]) << (8 * k);
            h = (h ^ word) * 0xFF51AFD7ED558CCDull;
            h ^= h >> 32;
        }
        h ^= h >> 33; // spread into the low bits the slot is taken from
        h *= 0xC4CEB9FE1A85EC53ull;
        h ^= h >> 33;
        m_hashes.push_back(h);
        const size_t mask = m_slots.size() - 1;
        for (size_t slot = size_t(h) & mask;; slot = (slot + 1) & mask) {
            const uint32_t held = m_slots[slot];
            if (held == 0) {
                m_slots[slot] = uint32_t(index + 1);
                return -1;
            }
            if (m_hashes[held - 1] == h && SameName(entries[held - 1].name, name))
                return int64_t(held - 1);
        }
    }

private:
    static constexpr size_t kKeep = size_t(1) << 18;
    static std::vector<uint32_t>& Slots()
    {
        thread_local std::vector<uint32_t> slots;
        return slots;
    }
    static std::vector<uint64_t>& Hashes()
    {
        thread_local std::vector<uint64_t> hashes;
        return hashes;
    }
    std::vector<uint32_t>& m_slots; // entry index + 1, 0: free
    std::vector<uint64_t>& m_hashes;
};

} // namespace

uint32_t LoadU32(const unsigned char* p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

void StoreU32(unsigned char* p, uint32_t v)
{
    p[0] = static_cast<unsigned char>(v);
    p[1] = static_cast<unsigned char>(v >> 8);
    p[2] = static_cast<unsigned char>(v >> 16);
    p[3] = static_cast<unsigned char>(v >> 24);
}

uint64_t Directory::dataBytes() const
{
    uint64_t total = 0;
    for (const Entry& e : entries)
        total += e.size;
    return total;
}

bool ParseDirectory(std::string_view bytes, uint64_t fileSize, Directory* out, std::string* error)
{
    auto fail = [error](std::string message) {
        if (error)
            *error = std::move(message);
        return false;
    };
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    if (fileSize < uint64_t(kHeaderSize) || bytes.size() < size_t(kHeaderSize))
        return fail(Format("The file is too short for a packfile header (%llu bytes).",
                           static_cast<unsigned long long>(fileSize)));
    const uint32_t signature = LoadU32(data);
    if (signature != kSignature)
        return fail(Format("Not a Red Faction packfile: the signature is 0x%08X, not 0x51890ACE.",
                           signature));
    const uint32_t version = LoadU32(data + 4);
    if (version != kVersion)
        return fail(Format("Packfile version %u is not supported (only version 1 is).", version));
    const auto count = static_cast<int32_t>(LoadU32(data + 8));
    if (count < 0)
        return fail(Format("The header gives a negative entry count (%d).", count));
    const uint64_t directoryEnd = uint64_t(kBlock) + uint64_t(count) * uint64_t(kRecordSize);
    if (directoryEnd > fileSize)
        return fail(Format("The directory of %d entries ends at byte %llu, past the end of the "
                           "file (%llu bytes).",
                           count, static_cast<unsigned long long>(directoryEnd),
                           static_cast<unsigned long long>(fileSize)));
    if (directoryEnd > bytes.size())
        return fail("The directory could not be read.");

    // First every size and offset, so a bad packfile leaves the output alone;
    // then the entries, into the output's own storage (a reread reuses it).
    auto recordAt = [data](int32_t i) { return data + kBlock + int64_t(i) * kRecordSize; };
    auto nameOf = [&](int32_t i) {
        const char* name = reinterpret_cast<const char*>(recordAt(i));
        return std::string(name, strnlen(name, size_t(kNameField)));
    };
    int64_t offset = FirstDataOffset(count);
    for (int32_t i = 0; i < count; ++i) {
        const uint32_t size = LoadU32(recordAt(i) + kNameField);
        if (size > uint32_t(INT32_MAX))
            return fail(Format("Entry %d (%s) claims %u bytes, more than a packfile can hold.",
                               i + 1, Quoted(nameOf(i)).c_str(), size));
        const uint64_t end = uint64_t(offset) + size;
        if (end > fileSize)
            return fail(Format("Entry %d (%s) ends at byte %llu, past the end of the file (%llu "
                               "bytes).",
                               i + 1, Quoted(nameOf(i)).c_str(),
                               static_cast<unsigned long long>(end),
                               static_cast<unsigned long long>(fileSize)));
        offset += AlignUp(size);
    }

    Directory& dir = *out;
    dir.fileSize = fileSize;
    dir.totalSizeField = LoadU32(data + 12);
    dir.warnings.clear();
    dir.entries.resize(size_t(count));
    offset = FirstDataOffset(count);
    DuplicateFinder duplicates{size_t(count)};
    for (int32_t i = 0; i < count; ++i) {
        const unsigned char* record = recordAt(i);
        const char* name = reinterpret_cast<const char*>(record);
        const size_t length = strnlen(name, size_t(kNameField));
        Entry& e = dir.entries[size_t(i)];
        e.name.assign(name, length);
        e.size = LoadU32(record + kNameField);
        e.offset = offset;
        if (length == size_t(kNameField))
            dir.warnings.push_back(
                Format("Entry %d (%s) fills all 60 bytes of its name without a closing zero; "
                       "the game may read it wrongly.",
                       i + 1, Quoted(e.name).c_str()));
        if (e.name.empty())
            dir.warnings.push_back(Format("Entry %d has no name.", i + 1));
        const int64_t first = duplicates.add(dir.entries, size_t(i));
        if (first >= 0)
            dir.warnings.push_back(Format("Entry %d (%s) has the name of entry %lld; the game "
                                          "only finds the first.",
                                          i + 1, Quoted(e.name).c_str(),
                                          static_cast<long long>(first + 1)));
        offset += AlignUp(e.size);
    }
    return true;
}

bool ReadDirectory(const fs::ReadFile& file, Directory* out, std::string* error)
{
    const uint64_t fileSize = file.size();
    unsigned char header[kHeaderSize] = {};
    const size_t got = file.readAt(header, sizeof header, 0);
    if (got < sizeof header)
        return ParseDirectory({reinterpret_cast<const char*>(header), got}, fileSize, out, error);
    const auto count = static_cast<int32_t>(LoadU32(header + 8));
    const uint64_t end = uint64_t(kBlock) + uint64_t(count < 0 ? 0 : count) * kRecordSize;
    // Only a directory that fits in the file is read; the parser reports the rest.
    if (LoadU32(header) != kSignature || LoadU32(header + 4) != kVersion || count < 0 ||
        end > fileSize)
        return ParseDirectory({reinterpret_cast<const char*>(header), got}, fileSize, out, error);
    // One buffer per thread, kept between reads: fresh pages for every directory
    // cost more than reading it. The parser reads the header and records only.
    thread_local std::vector<char> buffer;
    if (buffer.size() < end)
        buffer.resize(size_t(end));
    std::memcpy(buffer.data(), header, sizeof header);
    bool ok = file.readExact(buffer.data() + kBlock, size_t(end - kBlock), kBlock);
    if (ok)
        ok = ParseDirectory({buffer.data(), size_t(end)}, fileSize, out, error);
    else if (error)
        *error = "The directory could not be read.";
    if (buffer.size() > (size_t(4) << 20))
        buffer = {}; // a huge directory does not stay in memory
    return ok;
}

bool ReadDirectory(const std::string& path, Directory* out, std::string* error)
{
    fs::ReadFile file;
    if (!file.open(path)) {
        if (error)
            *error = "Cannot open " + DisplayUtf8(path) + ": " + file.error();
        return false;
    }
    return ReadDirectory(file, out, error);
}

std::optional<LevelInfo> ReadLevelInfoAt(const fs::ReadFile& file, int64_t base, int64_t limit)
{
    const int64_t end =
        limit < 0 ? int64_t(file.size()) : std::min<int64_t>(base + limit, int64_t(file.size()));
    unsigned char x[4];
    if (base < 0 || base + 20 > end || !file.readExact(x, sizeof x, base + 16))
        return std::nullopt;
    int64_t pos = base + static_cast<int32_t>(LoadU32(x)) + 12;
    if (pos < base || pos + 2 > end)
        return std::nullopt;
    LevelInfo info;
    for (std::string* s : {&info.levelName, &info.author, &info.date}) {
        unsigned char length[2];
        if (pos + 2 > end || !file.readExact(length, 2, pos))
            break; // later strings cut off by the end are empty
        pos += 2;
        const int16_t n = LoadI16(length);
        if (n <= 0)
            continue;
        const int64_t take = std::min<int64_t>(n, end - pos);
        s->resize(size_t(take));
        s->resize(file.readAt(s->data(), s->size(), pos));
        pos += n;
    }
    return info;
}

} // namespace qm::vpp
