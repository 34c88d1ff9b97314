#include "launcher/game_locator.h"

#include "common/settings.h"

#include <fcntl.h>
#include <unistd.h>

namespace playdeck {

namespace {
std::string InstallPath()
{
    return qm::ReadRegString(qm::HKEY_LOCAL_MACHINE, kGameRegistryKey, kGameInstallPathValue, "");
}
} // namespace

std::string GetGameFolder()
{
    std::string folder = InstallPath();
    if (!folder.empty() && folder.back() != qm::kPathSep)
        folder.push_back(qm::kPathSep);
    return folder;
}

bool IsGameInstalled()
{
    const std::string folder = GetGameFolder();
    if (folder.empty())
        return false;
    const std::string exe = folder + kGameExecutable;
    const int fd = ::open(exe.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    ::close(fd);
    return true;
}

} // namespace playdeck
