#include "platform/file_system.h"
#include "platform/process_start.h"
#include "vpp/commands.h"

#include <iostream>

int main(int argc, char** argv)
{
    // Arguments stay bytes: a packfile path may not be UTF-8.
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (qm::vpp::IsPeekCommand(args))
        return qm::vpp::RunPeekCommand(args, std::cout, std::cerr);

    // The window is a program of its own beside this one, so that a command
    // never waits for Qt to load; it takes over this process and its arguments.
    const std::string window = qm::fs::FolderOf(qm::fs::ProgramPath()) + "packpeek32_window";
    std::string error;
    qm::ReplaceProcess(window, args, &error);
    std::cerr << "packpeek32: cannot start " << window << ": " << error << '\n';
    return qm::vpp::kExitBadPackfile;
}
