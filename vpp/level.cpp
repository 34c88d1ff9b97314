#include "vpp/level.h"

#include "common/display_text.h"
#include "common/settings.h"
#include "platform/file_system.h"
#include "platform/string_util.h"

#include <cctype>
#include <climits>

namespace qm::vpp {

namespace {

void LowerInPlace(std::string& s)
{
    // The process locale's single-byte rules, as the platform's lower-casing.
    for (char& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

std::string FileNamePart(const std::string& path)
{
    const size_t sep = path.find_last_of(kPathSep);
    return sep == std::string::npos ? path : path.substr(sep + 1);
}

// The launcher's fold, kept apart from FoldByte: its caches are keyed to
// kLevelRulesVersion, and the caron letters were never part of it.
char FoldLevelByte(char c)
{
    const auto u = static_cast<unsigned char>(c);
    const bool upper = (u >= 'A' && u <= 'Z') || (u >= 0xC0 && u <= 0xDE && u != 0xD7);
    return upper ? static_cast<char>(u + 0x20) : c;
}

char FoldLocale(char c)
{
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

// Offset of the level file's data block in the open packfile, or -1. As
// lenient as the game: only what the walk to the match needs is checked.
int64_t FindRfl(const fs::ReadFile& file, const std::string& path)
{
    DirectoryCursor dir(file);
    if (!dir.isPackfile())
        return -1;
    const std::vector<std::string> targets = LevelFileNamesFor(path);
    if (targets.back().size() > size_t(kNameField))
        return -1; // no 60-byte directory name can equal it (the last is the shortest)
    int64_t offset = AlignUp((int64_t(dir.count()) + 32) * kRecordSize);
    Record record;
    while (dir.next(&record)) {
        if (LevelFileNameMatches(record.name, targets))
            return offset <= INT32_MAX ? offset : -1;
        if (record.size < 0)
            return -1; // a broken directory: nothing after it can be placed
        offset += AlignUp(record.size);
        if (offset > INT32_MAX)
            return -1;
    }
    return -1;
}

} // namespace

std::string LevelFileNameFor(const std::string& packfilePath)
{
    std::string name = FileNamePart(packfilePath);
    LowerInPlace(name);
    name.resize(name.size() > 4 ? name.size() - 4 : 0);
    return name + ".rfl";
}

std::vector<std::string> LevelFileNamesFor(const std::string& packfilePath)
{
    std::vector<std::string> names{LevelFileNameFor(packfilePath)};
    const std::string file = FileNamePart(packfilePath);
    std::string windows;
    if (IsValidUtf8(file) && Utf8ToWindows1252(file, &windows) && windows != file) {
        windows.resize(windows.size() > 4 ? windows.size() - 4 : 0);
        names.push_back(windows + ".rfl");
    }
    return names;
}

bool LevelFileNameMatches(std::string_view entry, const std::vector<std::string>& names)
{
    for (const std::string& name : names)
        if (equalsFolded(entry, name, FoldLevelByte) || equalsFolded(entry, name, FoldLocale))
            return true;
    return false;
}

int32_t FindRflInVpp(const std::string& path)
{
    const fs::ReadFile file(path);
    if (!file.isOpen())
        return -1;
    return static_cast<int32_t>(FindRfl(file, path));
}

std::optional<LevelInfo> ReadLevelInfo(const std::string& path, fs::FileInfo* fileInfo)
{
    // One open serves both steps.
    const fs::ReadFile file(path);
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
    // The information may lie anywhere in the file, as the game reads it.
    return ReadLevelStrings(file, base + static_cast<int32_t>(LoadU32(x)) + 12, INT64_MAX);
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

} // namespace qm::vpp
