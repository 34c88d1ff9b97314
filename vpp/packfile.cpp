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
        // At most two thirds full: short probes, and few fresh pages to touch.
        size_t slots = 16;
        while (slots < count + count / 2)
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
    // The index of an earlier entry with the same name, or -1; remembers this
    // one. nameOf(i) gives the name of entry i < index.
    template <typename NameOf> int64_t add(NameOf nameOf, size_t index)
    {
        const std::string_view name = nameOf(index);
        // Folded eight bytes at a time, then mixed per word, not per byte.
        const std::array<unsigned char, 256>& fold = FoldTable();
        uint64_t h = name.size() * 0x9E3779B97F4A7C15ull;
        for (size_t at = 0; at < name.size(); at += 8) {
            uint64_t word = 0;
            const size_t n = std::min<size_t>(8, name.size() - at);
            for (size_t k = 0; k < n; ++k)
                word |= uint64_t(fold[static_cast<unsigned char>(name[at + k])]) << (8 * k);
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
            if (m_hashes[held - 1] == h && SameName(nameOf(held - 1), name))
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

Header HeaderAt(const unsigned char* p)
{
    return {LoadU32(p), LoadU32(p + 4), static_cast<int32_t>(LoadU32(p + 8)), LoadU32(p + 12)};
}

namespace {
// The header block and the first 32 records: one read covers the directory
// of most packfiles.
constexpr size_t kFirstRead = size_t(kBlock + 32 * kRecordSize);
constexpr int64_t kRecordsPerRead = 1024;
} // namespace

DirectoryCursor::DirectoryCursor(const fs::ReadFile& file) : m_file(file), m_block(kFirstRead)
{
    const size_t got = file.readAt(m_block.data(), m_block.size(), 0);
    if (got < size_t(kHeaderSize))
        return;
    m_header = HeaderAt(m_block.data());
    m_isPackfile = m_header.isVersion1();
    m_held = got > size_t(kBlock) ? int64_t(got - size_t(kBlock)) / kRecordSize : 0;
    m_at = size_t(kBlock);
}

bool DirectoryCursor::next(Record* record)
{
    if (!m_isPackfile || m_index >= m_header.count)
        return false;
    if (m_index >= m_first + m_held) {
        const int64_t want = std::min<int64_t>(m_header.count - m_index, kRecordsPerRead);
        m_block.resize(size_t(want * kRecordSize));
        const size_t got =
            m_file.readAt(m_block.data(), m_block.size(), kBlock + m_index * kRecordSize);
        m_first = m_index;
        m_held = int64_t(got) / kRecordSize;
        m_at = 0;
        if (m_held == 0) {
            m_header.count = int32_t(m_index); // the file ends inside the directory
            return false;
        }
    }
    *record = RecordAt(m_block.data() + m_at);
    m_at += size_t(kRecordSize);
    ++m_index;
    return true;
}

uint64_t Directory::dataBytes() const
{
    uint64_t total = 0;
    for (const Entry& e : entries)
        total += e.size;
    return total;
}

bool ScanDirectory(std::string_view bytes, uint64_t fileSize, const EntryVisitor& visit,
                   std::vector<std::string>* warnings, std::string* error)
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
    const Header header = HeaderAt(data);
    if (header.signature != kSignature)
        return fail(Format("Not a Red Faction packfile: the signature is 0x%08X, not 0x51890ACE.",
                           header.signature));
    if (header.version != kVersion)
        return fail(
            Format("Packfile version %u is not supported (only version 1 is).", header.version));
    const int32_t count = header.count;
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

    // First every size and offset, so nothing of a bad packfile is handed on.
    auto recordAt = [data](int64_t i) { return RecordAt(data + kBlock + i * kRecordSize); };
    int64_t offset = FirstDataOffset(count);
    for (int32_t i = 0; i < count; ++i) {
        const Record record = recordAt(i);
        if (record.size < 0)
            return fail(Format("Entry %d (%s) claims %u bytes, more than a packfile can hold.",
                               i + 1, Quoted(std::string(record.name)).c_str(),
                               uint32_t(record.size)));
        const uint64_t end = uint64_t(offset) + uint64_t(record.size);
        if (end > fileSize)
            return fail(Format("Entry %d (%s) ends at byte %llu, past the end of the file (%llu "
                               "bytes).",
                               i + 1, Quoted(std::string(record.name)).c_str(),
                               static_cast<unsigned long long>(end),
                               static_cast<unsigned long long>(fileSize)));
        offset += AlignUp(record.size);
    }

    if (warnings)
        warnings->clear();
    auto warn = [warnings](std::string text) {
        if (warnings)
            warnings->push_back(std::move(text));
    };
    offset = FirstDataOffset(count);
    DuplicateFinder duplicates{size_t(count)};
    const auto nameOf = [&recordAt](size_t i) { return recordAt(int64_t(i)).name; };
    for (int32_t i = 0; i < count; ++i) {
        const Record record = recordAt(i);
        const EntryView e{record.name, uint32_t(record.size), offset};
        if (e.name.size() == size_t(kNameField))
            warn(Format("Entry %d (%s) fills all 60 bytes of its name without a closing zero; "
                        "the game may read it wrongly.",
                        i + 1, Quoted(std::string(e.name)).c_str()));
        if (e.name.empty())
            warn(Format("Entry %d has no name.", i + 1));
        const int64_t first = duplicates.add(nameOf, size_t(i));
        if (first >= 0)
            warn(Format("Entry %d (%s) has the name of entry %lld; the game only finds the first.",
                        i + 1, Quoted(std::string(e.name)).c_str(),
                        static_cast<long long>(first + 1)));
        visit(e);
        offset += AlignUp(e.size);
    }
    return true;
}

bool ParseDirectory(std::string_view bytes, uint64_t fileSize, Directory* out, std::string* error)
{
    // Into the output's own storage (a reread reuses it), and only once the
    // whole directory was found sound.
    std::vector<std::string> warnings;
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    size_t at = 0;
    const bool ok = ScanDirectory(
        bytes, fileSize,
        [&](const EntryView& view) {
            if (at == 0)
                out->entries.resize(size_t(HeaderAt(data).count));
            Entry& e = out->entries[at++];
            e.name.assign(view.name);
            e.size = view.size;
            e.offset = view.offset;
        },
        &warnings, error);
    if (!ok)
        return false;
    out->entries.resize(at);
    out->fileSize = fileSize;
    out->totalSizeField = HeaderAt(data).totalSize;
    out->warnings = std::move(warnings);
    return true;
}

namespace {
// Header and directory bytes of file into one buffer per thread, kept between
// reads and never zero-filled: fresh pages for every directory cost more than
// reading it. Empty when the header is no packfile's or the directory does not
// fit the file: the parser then reports from the header bytes alone.
std::string_view ReadDirectoryBytes(const fs::ReadFile& file, unsigned char (&first)[kHeaderSize],
                                    size_t* firstGot, bool* readFailed)
{
    thread_local std::unique_ptr<char[]> buffer;
    thread_local size_t capacity = 0;
    *readFailed = false;
    *firstGot = file.readAt(first, sizeof first, 0);
    const Header header = HeaderAt(first);
    const uint64_t end =
        uint64_t(kBlock) + uint64_t(header.count < 0 ? 0 : header.count) * kRecordSize;
    if (*firstGot < sizeof first || !header.isVersion1() || header.count < 0 || end > file.size())
        return {};
    if (capacity < end || capacity > (size_t(4) << 20)) {
        // A huge directory does not stay in memory.
        buffer.reset(new char[size_t(end)]);
        capacity = size_t(end);
    }
    std::memcpy(buffer.get(), first, sizeof first);
    if (!file.readExact(buffer.get() + kBlock, size_t(end - kBlock), kBlock)) {
        *readFailed = true;
        return {};
    }
    return {buffer.get(), size_t(end)};
}

template <typename Parse>
bool ReadAndParse(const fs::ReadFile& file, std::string* error, Parse parse)
{
    unsigned char first[kHeaderSize] = {};
    size_t got = 0;
    bool readFailed = false;
    const std::string_view bytes = ReadDirectoryBytes(file, first, &got, &readFailed);
    if (readFailed) {
        if (error)
            *error = "The directory could not be read.";
        return false;
    }
    return parse(bytes.empty() ? std::string_view(reinterpret_cast<const char*>(first), got)
                               : bytes);
}
} // namespace

bool ReadDirectory(const fs::ReadFile& file, Directory* out, std::string* error)
{
    return ReadAndParse(file, error, [&](std::string_view bytes) {
        return ParseDirectory(bytes, file.size(), out, error);
    });
}

bool ScanDirectory(const fs::ReadFile& file, const EntryVisitor& visit,
                   std::vector<std::string>* warnings, std::string* error)
{
    return ReadAndParse(file, error, [&](std::string_view bytes) {
        return ScanDirectory(bytes, file.size(), visit, warnings, error);
    });
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

std::optional<LevelInfo> ReadLevelStrings(const fs::ReadFile& file, int64_t pos, int64_t end)
{
    // Three strings of at most 32767 bytes each; most sets fit the first read.
    constexpr size_t kFirstInfoRead = 512;
    constexpr int64_t kLongest = 3 * (2 + INT16_MAX);
    if (pos < 0 || pos > end - 2)
        return std::nullopt;
    const size_t avail = size_t(std::min(end - pos, kLongest));
    std::string block(std::min(kFirstInfoRead, avail), '\0');
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
    for (size_t need = needed(got); need > got && got == block.size() && got < avail;
         need = needed(got)) {
        const size_t more = std::min(std::max(need, block.size() * 2), avail);
        block.resize(more);
        got += file.readAt(block.data() + got, more - got, pos + int64_t(got));
    }
    block.resize(got);
    if (got < 2)
        return std::nullopt;
    LevelInfo info;
    size_t at = 0;
    for (std::string* s : {&info.levelName, &info.author, &info.date}) {
        if (at + 2 > got)
            break; // later strings cut off by the end are empty
        const int16_t n = LoadI16(reinterpret_cast<const unsigned char*>(block.data() + at));
        at += 2;
        if (n <= 0)
            continue;
        s->assign(block, at, std::min(size_t(n), got - at));
        at += size_t(n);
    }
    return info;
}

std::optional<LevelInfo> ReadLevelInfoAt(const fs::ReadFile& file, int64_t base, int64_t limit)
{
    const int64_t end =
        limit < 0 ? int64_t(file.size()) : std::min<int64_t>(base + limit, int64_t(file.size()));
    unsigned char x[4];
    if (base < 0 || base + 20 > end || !file.readExact(x, sizeof x, base + 16))
        return std::nullopt;
    const int64_t pos = base + static_cast<int32_t>(LoadU32(x)) + 12;
    if (pos < base)
        return std::nullopt;
    return ReadLevelStrings(file, pos, end);
}

} // namespace qm::vpp
