#include "vpp/packfile.h"

#include "common/display_text.h"
#include "platform/file_system.h"
#include "vpp/names.h"

#include <cstdio>
#include <cstring>
#include <unordered_map>

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
    Directory dir;
    dir.fileSize = fileSize;
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
    dir.totalSizeField = LoadU32(data + 12);
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

    dir.entries.resize(size_t(count));
    int64_t offset = FirstDataOffset(count);
    std::unordered_map<std::string, size_t> seen;
    for (int32_t i = 0; i < count; ++i) {
        const unsigned char* record = data + kBlock + int64_t(i) * kRecordSize;
        const char* name = reinterpret_cast<const char*>(record);
        const size_t length = strnlen(name, size_t(kNameField));
        Entry& e = dir.entries[size_t(i)];
        e.name.assign(name, length);
        e.size = LoadU32(record + kNameField);
        e.offset = offset;
        if (e.size > uint32_t(INT32_MAX))
            return fail(Format("Entry %d (%s) claims %u bytes, more than a packfile can hold.",
                               i + 1, Quoted(e.name).c_str(), e.size));
        const uint64_t end = uint64_t(offset) + e.size;
        if (end > fileSize)
            return fail(Format("Entry %d (%s) ends at byte %llu, past the end of the file (%llu "
                               "bytes).",
                               i + 1, Quoted(e.name).c_str(), static_cast<unsigned long long>(end),
                               static_cast<unsigned long long>(fileSize)));
        if (length == size_t(kNameField))
            dir.warnings.push_back(
                Format("Entry %d (%s) fills all 60 bytes of its name without a closing zero; "
                       "the game may read it wrongly.",
                       i + 1, Quoted(e.name).c_str()));
        if (e.name.empty())
            dir.warnings.push_back(Format("Entry %d has no name.", i + 1));
        const auto [it, fresh] = seen.emplace(FoldName(e.name), size_t(i));
        if (!fresh)
            dir.warnings.push_back(Format("Entry %d (%s) has the name of entry %zu; the game "
                                          "only finds the first.",
                                          i + 1, Quoted(e.name).c_str(), it->second + 1));
        offset += AlignUp(e.size);
    }
    if (dir.totalSizeField != fileSize)
        dir.warnings.push_back(Format("The header gives a total size of %u bytes; the file has "
                                      "%llu.",
                                      dir.totalSizeField,
                                      static_cast<unsigned long long>(fileSize)));
    *out = std::move(dir);
    return true;
}

bool ReadDirectory(const fs::ReadFile& file, Directory* out, std::string* error)
{
    const uint64_t fileSize = file.size();
    unsigned char header[kHeaderSize] = {};
    const size_t got = file.readAt(header, sizeof header, 0);
    std::string bytes(reinterpret_cast<const char*>(header), got);
    if (got == sizeof header) {
        const auto count = static_cast<int32_t>(LoadU32(header + 8));
        const uint64_t end = uint64_t(kBlock) + uint64_t(count < 0 ? 0 : count) * kRecordSize;
        // Only a directory that fits in the file is read; the parser reports the rest.
        if (LoadU32(header) == kSignature && LoadU32(header + 4) == kVersion && count > 0 &&
            end <= fileSize) {
            bytes.resize(size_t(end));
            const size_t length = size_t(end - kBlock);
            if (!file.readExact(bytes.data() + kBlock, length, kBlock)) {
                if (error)
                    *error = "The directory could not be read.";
                return false;
            }
        }
        if (count == 0)
            bytes.resize(size_t(std::min<uint64_t>(fileSize, uint64_t(kBlock))));
    }
    return ParseDirectory(bytes, fileSize, out, error);
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
