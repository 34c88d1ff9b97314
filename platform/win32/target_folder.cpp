#include "platform/target_folder.h"

namespace qm {

bool IsValidTargetFolder(const std::string& path)
{
    return path.size() > 3 && path[1] == ':' && path[2] == '\\';
}

} // namespace qm
