#include "platform/registry_store.h"

#include "platform/string_util.h"

// Names of roots and keys, shared by the SQLite store and the Windows registry.

namespace qm {

std::string RegFold(std::string_view s)
{
    std::string r(s);
    for (char& c : r)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return r;
}

const char* RegRootName(RegRoot root)
{
    return root == RegRoot::LocalMachine ? "HKEY_LOCAL_MACHINE" : "HKEY_CURRENT_USER";
}

std::optional<RegRoot> ParseRegRoot(std::string_view name)
{
    const std::string n = RegFold(name);
    if (n == "hkey_local_machine" || n == "hklm")
        return RegRoot::LocalMachine;
    if (n == "hkey_current_user" || n == "hkcu")
        return RegRoot::CurrentUser;
    return std::nullopt;
}

std::optional<std::pair<RegRoot, std::string>> SplitRegPath(std::string_view fullPath)
{
    const size_t slash = fullPath.find('\\');
    auto root = ParseRegRoot(fullPath.substr(0, slash));
    if (!root)
        return std::nullopt;
    std::string rest =
        slash == std::string_view::npos ? std::string() : std::string(fullPath.substr(slash + 1));
    return std::make_pair(*root, rest);
}

bool RegNameHasLineBreak(std::string_view name)
{
    return name.find_first_of("\r\n") != std::string_view::npos;
}

std::vector<std::string> SplitRegKey(std::string_view key)
{
    std::vector<std::string> parts;
    for (const std::string_view part : splitOn(key, '\\'))
        if (!part.empty())
            parts.emplace_back(part);
    return parts;
}

} // namespace qm
