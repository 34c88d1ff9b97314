#pragma once

#include "common/window_library.h"

#include <iostream>
#include <string>
#include <vector>

namespace qm::vpp {

// The commands of one packfile tool.
struct ToolCommands {
    bool (*isCommand)(const std::vector<std::string>& args);
    int (*run)(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
};

// main() of a packfile tool: its commands run here; anything else opens its
// window, whose library is loaded only then, so a command never waits for Qt.
inline int RunTool(int argc, char** argv, ToolCommands commands, const char* program,
                   const char* windowLibrary, const char* entry)
{
    // Arguments stay bytes: a packfile path may not be UTF-8.
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (commands.isCommand(args))
        return commands.run(args, std::cout, std::cerr);
    return qm::RunWindowLibrary(program, windowLibrary, entry, argc, argv);
}

} // namespace qm::vpp
