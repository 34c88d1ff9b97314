#pragma once

// Reading back a shell link, for checks of what CreateShortcut wrote.

#include <optional>
#include <string>

namespace qm::win32 {

struct ShellLinkInfo {
    std::string target;
    std::string arguments;
    std::string workingFolder;
};

std::optional<ShellLinkInfo> ReadShellLink(const std::string& path);

} // namespace qm::win32
