#include "vpp/names.h"

#include "common/display_text.h"
#include "platform/file_system.h"
#include "vpp/level.h"
#include "vpp/packfile.h"

#include <algorithm>
#include <array>

namespace qm::vpp {

unsigned char FoldByte(unsigned char c)
{
    if (c >= 'A' && c <= 'Z')
        return static_cast<unsigned char>(c + 32);
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7)
        return static_cast<unsigned char>(c + 32);
    switch (c) {
    case 0x8A: // Š
    case 0x8C: // Œ
    case 0x8E: // Ž
        return static_cast<unsigned char>(c + 16);
    case 0x9F: // Ÿ
        return 0xFF;
    default:
        return c;
    }
}

namespace {

bool IsReservedDeviceName(std::string_view name)
{
    // Windows refuses these as file names, with or without an extension.
    const std::string_view stem = name.substr(0, name.find('.'));
    std::string upper(stem);
    while (!upper.empty() && upper.back() == ' ')
        upper.pop_back();
    for (char& c : upper)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 32);
    static const std::array<std::string_view, 4> plain = {"CON", "PRN", "AUX", "NUL"};
    if (std::find(plain.begin(), plain.end(), upper) != plain.end())
        return true;
    return upper.size() == 4 && (upper.starts_with("COM") || upper.starts_with("LPT")) &&
           upper[3] >= '1' && upper[3] <= '9';
}

} // namespace

std::string FoldName(std::string_view name)
{
    std::string out(name);
    for (char& c : out)
        c = static_cast<char>(FoldByte(static_cast<unsigned char>(c)));
    return out;
}

bool SameName(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && FoldName(a) == FoldName(b);
}

std::string EntryNameFault(std::string_view name)
{
    if (name.empty())
        return "The name is empty.";
    if (name.size() > kMaxNameLength)
        return "The name is " + std::to_string(name.size()) +
               " bytes long; a packfile keeps at most 59 (60 with the closing zero).";
    for (unsigned char c : name) {
        if (c == 0)
            return "The name contains a zero byte.";
        if (c == '/' || c == '\\')
            return "The name contains a path separator; packfile entries have plain names.";
        if (c < 0x20 || c == 0x7F)
            return "The name contains a control character.";
    }
    return {};
}

int FindName(const std::vector<std::string>& names, std::string_view name, int except)
{
    const std::string folded = FoldName(name);
    for (size_t i = 0; i < names.size(); ++i)
        if (int(i) != except && names[i].size() == folded.size() && FoldName(names[i]) == folded)
            return int(i);
    return -1;
}

std::string EntryNameFault(std::string_view name, const std::vector<std::string>& names, int except)
{
    std::string fault = EntryNameFault(name);
    if (!fault.empty())
        return fault;
    const int other = FindName(names, name, except);
    if (other >= 0)
        return "Another entry is already named \"" + DisplayUtf8(names[size_t(other)]) +
               "\" (the game does not tell upper and lower case apart).";
    return {};
}

std::string EntryNameForFile(std::string_view fileName)
{
    std::string bytes;
    if (Utf8ToWindows1252(fileName, &bytes))
        return bytes;
    return std::string(fileName);
}

ExtractionName ExtractionNameFor(std::string_view entryName)
{
    const std::string shown = DisplayUtf8(entryName);
    if (shown.empty())
        return {{}, "it has no name"};
    if (shown.find('/') != std::string::npos || shown.find('\\') != std::string::npos)
        return {{}, "its name contains a path separator"};
    if (shown.size() >= 2 && shown[1] == ':' &&
        ((shown[0] >= 'A' && shown[0] <= 'Z') || (shown[0] >= 'a' && shown[0] <= 'z')))
        return {{}, "its name starts with a drive letter"};
    if (shown.starts_with(".."))
        return {{}, "its name starts with \"..\""};
    if (shown == ".")
        return {{}, "its name is \".\""};

    std::string out;
    out.reserve(shown.size() + 1);
    for (char ch : shown) {
        const auto c = static_cast<unsigned char>(ch);
        const bool unsafe = c < 0x20 || c == 0x7F || c == '<' || c == '>' || c == ':' || c == '"' ||
                            c == '|' || c == '?' || c == '*';
        out += unsafe ? '_' : ch;
    }
    // Windows drops trailing dots and blanks, which would change the name.
    if (out.back() == '.' || out.back() == ' ')
        out.back() = '_';
    if (IsReservedDeviceName(out))
        out.insert(out.begin(), '_');
    return {out, {}};
}

std::string PackfileNameWarning(const std::string& path)
{
    const std::string name = fs::FileNameOf(path);
    if (name.size() <= kMaxPackfileNameLength)
        return {};
    return "The packfile's file name \"" + DisplayUtf8(name) + "\" is " +
           std::to_string(name.size()) +
           " characters long; the game does not load packfiles whose names are longer than 31.";
}

} // namespace qm::vpp

namespace qm::vpp {

namespace {
bool EndsWithRfl(const std::string& name)
{
    return name.size() >= 4 && FoldName(name.substr(name.size() - 4)) == ".rfl";
}
} // namespace

std::string LevelPackfileNameFor(const std::string& rflPath)
{
    std::string name = fs::FileNameOf(rflPath);
    if (EndsWithRfl(name))
        name.resize(name.size() - 4);
    return name + ".vpp";
}

std::string LevelListingWarning(const std::vector<std::string>& names, const std::string& path)
{
    if (std::none_of(names.begin(), names.end(), EndsWithRfl))
        return {};
    // The launcher's own rule, so the note and the launcher never disagree.
    const std::vector<std::string> targets = LevelFileNamesFor(path);
    if (std::any_of(names.begin(), names.end(),
                    [&](const std::string& n) { return LevelFileNameMatches(n, targets); }))
        return {};
    std::string base = fs::FileNameOf(path);
    base.resize(base.size() > 4 ? base.size() - 4 : 0);
    return "The launcher lists this packfile as a level only when it holds \"" + DisplayUtf8(base) +
           ".rfl\"; rename the level file or the packfile.";
}

} // namespace qm::vpp
