#include "platform/target_folder.h"

namespace qm {

bool IsValidTargetFolder(const std::string& path)
{
    return path.size() > 3 && path[1] == ':' && path[2] == '\\';
}

bool IsFullPath(const std::string& path)
{
    const auto letter = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); };
    return path.size() >= 3 && letter(path[0]) && path[1] == ':' &&
           (path[2] == '\\' || path[2] == '/');
}

} // namespace qm
