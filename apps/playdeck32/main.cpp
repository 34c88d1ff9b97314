#include "launcher/list_command.h"
#include "launcher/where_command.h"
#include "platform/file_system.h"
#include "platform/shared_library.h"

#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>

namespace {

// The window library: beside the program (the build, a kit install), else in
// the install prefix's library folder.
int RunWindow(int argc, char** argv)
{
    const std::string folder = qm::fs::FolderOf(qm::fs::ProgramPath());
    const std::string beside = folder + QM_WINDOW_LIBRARY;
    const std::string installed = folder + QM_LIBDIR_FROM_BINDIR "/" QM_WINDOW_LIBRARY;
    std::string path = beside;
    if (!qm::fs::IsRegularFile(beside) && qm::fs::IsRegularFile(installed))
        path = installed;
    // Kept to the process's end: the toolkit's own exit handlers run after main.
    static const auto library = qm::SharedLibrary::Open(path);
    using Main = int (*)(int, char**);
    const auto windowMain =
        library ? reinterpret_cast<Main>(library->Symbol("Playdeck32WindowMain")) : nullptr;
    if (!windowMain) {
        std::fprintf(stderr, "playdeck32: cannot load its window from %s\n", path.c_str());
        return 1;
    }
    return windowMain(argc, argv);
}

} // namespace

int main(int argc, char** argv)
{
    // `playdeck32 --list [single|multi|mods]`: the catalogue as text, no window.
    if (argc >= 2 && std::strcmp(argv[1], "--list") == 0)
        return playdeck::RunListCommand(argc >= 3 ? argv[2] : "", std::cout, std::cerr);

    // `playdeck32 --where`: where the game was found and what would start it.
    if (argc == 2 && std::strcmp(argv[1], "--where") == 0)
        return playdeck::RunWhereCommand(std::cout, std::cerr);

    return RunWindow(argc, argv);
}
