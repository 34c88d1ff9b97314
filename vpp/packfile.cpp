#include "vpp/packfile.h"

#include "common/display_text.h"
#include "platform/file_system.h"
#include "vpp/names.h"

#include <array>
#include <bit>
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
// Each slot holds an entry's index and, in the bits the index leaves, part of
// its hash: one small table to touch, and a name is compared again only when
// those bits match.
class DuplicateFinder {
public:
    explicit DuplicateFinder(size_t count)
        : m_slots(Slots()), m_indexBits(std::bit_width(uint32_t(count)))
    {
        // At most two thirds full: short probes.
        size_t slots = 16;
        while (slots < count + count / 2)
            slots *= 2;
        m_slots.assign(slots, 0);
    }
    ~DuplicateFinder()
    {
        // Kept for the next directory, unless a huge one would pin the memory.
        if (m_slots.capacity() > kKeep)
            m_slots = {};
    }
    // The index of an earlier entry with the same name, or -1; remembers this
    // one. nameOf(i) gives the name of entry i <= index.
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
        const uint32_t indexMask = uint32_t((uint64_t(1) << m_indexBits) - 1);
        const uint32_t tag = uint32_t(h >> 32) & ~indexMask;
        const size_t mask = m_slots.size() - 1;
        for (size_t slot = size_t(h) & mask;; slot = (slot + 1) & mask) {
            const uint32_t held = m_slots[slot];
            if (held == 0) {
                m_slots[slot] = tag | uint32_t(index + 1);
                return -1;
            }
            const size_t other = (held & indexMask) - 1;
            if ((held & ~indexMask) == tag && SameName(nameOf(other), name))
                return int64_t(other);
        }
    }

private:
    static constexpr size_t kKeep = size_t(1) << 18;
    static std::vector<uint32_t>& Slots()
    {
        thread_local std::vector<uint32_t> slots;
        return slots;
    }
    std::vector<uint32_t>& m_slots; // tag | entry index + 1; 0: free
    int m_indexBits;                // enough for the entry count
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

namespace {

// The directory's records a piece at a time through one buffer: on a large
// directory, fresh memory for all of it costs more than reading it twice.
class RecordPieces {
public:
    RecordPieces(const ByteReader& read, int32_t count, int64_t perPiece)
        : m_read(read), m_count(count), m_perPiece(std::max<int64_t>(1, perPiece)),
          m_piece(new unsigned char[size_t(std::min<int64_t>(count, m_perPiece) * kRecordSize)])
    {
    }
    // Record i, read with the ones after it when it is not held; null when the
    // read falls short.
    const unsigned char* at(int64_t i)
    {
        if (i < m_first || i >= m_first + m_held) {
            const int64_t want = std::min<int64_t>(m_count - i, m_perPiece);
            const size_t bytes = size_t(want * kRecordSize);
            m_first = i;
            m_held = m_read(m_piece.get(), bytes, kBlock + i * kRecordSize) == bytes ? want : 0;
            if (m_held == 0)
                return nullptr;
        }
        return m_piece.get() + (i - m_first) * kRecordSize;
    }
    // An earlier record, leaving the piece held: the duplicate check looks back.
    const unsigned char* earlier(int64_t i)
    {
        if (i >= m_first && i < m_first + m_held)
            return m_piece.get() + (i - m_first) * kRecordSize;
        if (m_read(m_side, sizeof m_side, kBlock + i * kRecordSize) != sizeof m_side)
            return nullptr;
        return m_side;
    }

private:
    const ByteReader& m_read;
    int64_t m_count;
    int64_t m_perPiece;
    std::unique_ptr<unsigned char[]> m_piece; // not zero-filled: the reads fill it
    int64_t m_first = 0;
    int64_t m_held = 0;
    unsigned char m_side[kRecordSize] = {};
};

} // namespace

bool ScanDirectory(const ByteReader& read, uint64_t fileSize, const EntryVisitor& visit,
                   std::vector<std::string>* warnings, std::string* error, int64_t recordsPerRead)
{
    auto fail = [error](std::string message) {
        if (error)
            *error = std::move(message);
        return false;
    };
    unsigned char head[kHeaderSize] = {};
    if (fileSize < uint64_t(kHeaderSize) || read(head, sizeof head, 0) != sizeof head)
        return fail(Format("The file is too short for a packfile header (%llu bytes).",
                           static_cast<unsigned long long>(fileSize)));
    const Header header = HeaderAt(head);
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

    RecordPieces pieces(read, count, recordsPerRead);
    // The fault of a record, if any, at the given data offset.
    const auto faultOf = [fileSize](int32_t i, const Record& record,
                                    int64_t offset) -> std::string {
        if (record.size < 0)
            return Format("Entry %d (%s) claims %u bytes, more than a packfile can hold.", i + 1,
                          Quoted(std::string(record.name)).c_str(), uint32_t(record.size));
        const uint64_t end = uint64_t(offset) + uint64_t(record.size);
        if (end > fileSize)
            return Format("Entry %d (%s) ends at byte %llu, past the end of the file (%llu "
                          "bytes).",
                          i + 1, Quoted(std::string(record.name)).c_str(),
                          static_cast<unsigned long long>(end),
                          static_cast<unsigned long long>(fileSize));
        return {};
    };

    // First every size and offset, so nothing of a bad packfile is handed on.
    int64_t offset = FirstDataOffset(count);
    for (int32_t i = 0; i < count; ++i) {
        const unsigned char* p = pieces.at(i);
        if (!p)
            return fail("The directory could not be read.");
        const Record record = RecordAt(p);
        if (std::string fault = faultOf(i, record, offset); !fault.empty())
            return fail(std::move(fault));
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
    bool lookedBack = true;
    for (int32_t i = 0; i < count; ++i) {
        const unsigned char* p = pieces.at(i);
        // Read again: a file changed in between must not hand on an unchecked entry.
        const Record record = p ? RecordAt(p) : Record{};
        if (!p || !faultOf(i, record, offset).empty())
            return fail("The packfile changed while it was read.");
        const EntryView e{record.name, uint32_t(record.size), offset};
        if (e.name.size() == size_t(kNameField))
            warn(Format("Entry %d (%s) fills all 60 bytes of its name without a closing zero; "
                        "the game may read it wrongly.",
                        i + 1, Quoted(std::string(e.name)).c_str()));
        if (e.name.empty())
            warn(Format("Entry %d has no name.", i + 1));
        const auto nameOf = [&](size_t k) -> std::string_view {
            if (k == size_t(i))
                return e.name;
            const unsigned char* q = pieces.earlier(int64_t(k));
            lookedBack = lookedBack && q;
            return q ? RecordAt(q).name : std::string_view();
        };
        const int64_t first = duplicates.add(nameOf, size_t(i));
        if (!lookedBack)
            return fail("The packfile changed while it was read.");
        if (first >= 0)
            warn(Format("Entry %d (%s) has the name of entry %lld; the game only finds the first.",
                        i + 1, Quoted(std::string(e.name)).c_str(),
                        static_cast<long long>(first + 1)));
        visit(e);
        offset += AlignUp(e.size);
    }
    return true;
}

namespace {

ByteReader BytesReader(std::string_view bytes)
{
    return [bytes](void* buffer, size_t size, int64_t offset) -> size_t {
        if (offset < 0 || uint64_t(offset) >= bytes.size())
            return 0;
        const size_t n = std::min(size, bytes.size() - size_t(offset));
        std::memcpy(buffer, bytes.data() + offset, n);
        return n;
    };
}

ByteReader FileReader(const fs::ReadFile& file)
{
    return [&file](void* buffer, size_t size, int64_t offset) {
        return file.readAt(buffer, size, offset);
    };
}

// The entries of a sound directory into out's own storage (a reread reuses
// it); out is left alone when the directory has a fault.
bool CollectDirectory(const ByteReader& read, uint64_t fileSize, Directory* out, std::string* error)
{
    std::vector<std::string> warnings;
    size_t at = 0;
    uint32_t totalSize = 0;
    const bool ok = ScanDirectory(
        read, fileSize,
        [&](const EntryView& view) {
            if (at == out->entries.size())
                out->entries.emplace_back();
            Entry& e = out->entries[at++];
            e.name.assign(view.name);
            e.size = view.size;
            e.offset = view.offset;
        },
        &warnings, error);
    if (!ok) {
        if (at > 0)
            out->entries.clear(); // changed under us: no half-read directory
        return false;
    }
    out->entries.resize(at);
    unsigned char head[kHeaderSize];
    if (read(head, sizeof head, 0) == sizeof head)
        totalSize = HeaderAt(head).totalSize;
    out->fileSize = fileSize;
    out->totalSizeField = totalSize;
    out->warnings = std::move(warnings);
    return true;
}

} // namespace

bool ScanDirectory(std::string_view bytes, uint64_t fileSize, const EntryVisitor& visit,
                   std::vector<std::string>* warnings, std::string* error)
{
    return ScanDirectory(BytesReader(bytes), fileSize, visit, warnings, error);
}

bool ScanDirectory(const fs::ReadFile& file, const EntryVisitor& visit,
                   std::vector<std::string>* warnings, std::string* error)
{
    return ScanDirectory(FileReader(file), file.size(), visit, warnings, error);
}

bool ParseDirectory(std::string_view bytes, uint64_t fileSize, Directory* out, std::string* error)
{
    return CollectDirectory(BytesReader(bytes), fileSize, out, error);
}

bool ReadDirectory(const fs::ReadFile& file, Directory* out, std::string* error)
{
    return CollectDirectory(FileReader(file), file.size(), out, error);
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
