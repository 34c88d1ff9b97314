#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace qm::vpp {

// Exit codes of both tools' command lines.
enum ExitCode : int {
    kExitOk = 0,
    kExitBadPackfile = 1, // a packfile or an input file could not be read
    kExitUsage = 2,       // wrong arguments
    kExitRefused = 3,     // a rule kept something from being done (name, existing file)
    kExitWriteFailed = 4, // writing failed; nothing was changed
};

// Whether args (without the program name) ask for a command rather than a window.
bool IsPeekCommand(const std::vector<std::string>& args);
bool IsForgeCommand(const std::vector<std::string>& args);

// packpeek32 --list FILE.vpp | --extract [--overwrite] FILE.vpp DIR [NAME...]
int RunPeekCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
// packforge32 --create OUT.vpp FILE... | --add PACK.vpp FILE... |
//             --remove PACK.vpp NAME... | --rename PACK.vpp OLD NEW
int RunForgeCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

} // namespace qm::vpp
