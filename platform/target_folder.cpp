#include "platform/target_folder.h"

namespace qm {

bool IsValidTargetFolder(const std::string& path)
{
    return path.size() > 1 && path[0] == '/' && path[1] != '/' &&
           path.find_first_not_of('/') != std::string::npos;
}

bool IsFullPath(const std::string& path)
{
    return !path.empty() && path[0] == '/';
}

} // namespace qm
