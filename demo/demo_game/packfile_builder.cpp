#include "demo/demo_game/packfile_builder.h"

#include <fstream>

namespace qm::demo {

namespace {
constexpr size_t kBlock = 2048;

void PadTo(std::string& out, size_t multiple)
{
    if (out.size() % multiple)
        out.append(multiple - out.size() % multiple, '\0');
}
} // namespace

void PutU32(std::string& out, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<char>(v >> (8 * i) & 0xff));
}

void PutU16(std::string& out, uint16_t v)
{
    out.push_back(static_cast<char>(v & 0xff));
    out.push_back(static_cast<char>(v >> 8 & 0xff));
}

std::string BuildVpp(const std::vector<VppEntry>& entries, const VppLayout& layout)
{
    std::string out;
    PutU32(out, layout.signature);
    PutU32(out, layout.version);
    PutU32(out, static_cast<uint32_t>(layout.countField.value_or(int32_t(entries.size()))));
    size_t total = 0;
    for (const VppEntry& e : entries)
        total += e.data.size();
    PutU32(out, static_cast<uint32_t>(total));
    PadTo(out, kBlock);
    for (const VppEntry& e : entries) {
        std::string name = e.name.substr(0, 60);
        name.resize(60, '\0');
        out += name;
        PutU32(out, static_cast<uint32_t>(e.sizeField.value_or(int32_t(e.data.size()))));
    }
    PadTo(out, kBlock);
    for (const VppEntry& e : entries) {
        out += e.data;
        PadTo(out, kBlock);
    }
    return out;
}

std::string RflString(int16_t length, const std::string& bytes)
{
    std::string out;
    PutU16(out, static_cast<uint16_t>(length));
    return out + bytes;
}

std::string RflString(const std::string& text)
{
    return RflString(static_cast<int16_t>(text.size()), text);
}

std::string BuildRflRaw(int32_t infoOffset, const std::string& afterOffsetPlus12)
{
    std::string out;
    PutU32(out, 0xD4BADA55); // the level file's own signature, not looked at
    PutU32(out, 200);        // its version, not looked at
    PutU32(out, 0);
    PutU32(out, 0);
    PutU32(out, static_cast<uint32_t>(infoOffset));
    out.resize(32, '\0');
    // The information section starts with 12 bytes before its strings.
    PutU32(out, 0x01000000);
    PutU32(out, 0);
    PutU32(out, 0);
    return out + afterOffsetPlus12;
}

std::string BuildRfl(const std::string& levelName, const std::string& author,
                     const std::string& date)
{
    return BuildRflRaw(32, RflString(levelName) + RflString(author) + RflString(date) +
                               std::string(16, '\0'));
}

bool WriteBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    f.close();
    return static_cast<bool>(f);
}

bool WriteBenchLevelPackfiles(const std::string& folder, int count)
{
    for (int i = 0; i < count; ++i) {
        const std::string name = "Level " + std::to_string(i);
        const std::string vpp =
            BuildVpp({{"readme.txt", std::string(700, 'r'), {}},
                      {"sky.tga", std::string(3000, 's'), {}},
                      {name + ".rfl",
                       BuildRfl("Level number " + std::to_string(i), "Bench Author", "12/24/2001"),
                       {}}});
        if (!WriteBytes(folder + "/" + name + ".vpp", vpp))
            return false;
    }
    return true;
}

} // namespace qm::demo
