#include "common/window_library.h"
#include "vpp/commands.h"

#include <iostream>

int main(int argc, char** argv)
{
    // Arguments stay bytes: a packfile path may not be UTF-8.
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (qm::vpp::IsForgeCommand(args))
        return qm::vpp::RunForgeCommand(args, std::cout, std::cerr);

    // The window is loaded only now, so that a command never waits for Qt.
    return qm::RunWindowLibrary("packforge32", QM_WINDOW_LIBRARY, "Packforge32WindowMain", argc,
                                argv);
}
