#include "common/window_library.h"
#include "launcher/list_command.h"
#include "launcher/where_command.h"

#include <cstring>
#include <iostream>

int main(int argc, char** argv)
{
    // `playdeck32 --list [single|multi|mods]`: the catalogue as text, no window.
    if (argc >= 2 && std::strcmp(argv[1], "--list") == 0)
        return playdeck::RunListCommand(argc >= 3 ? argv[2] : "", std::cout, std::cerr);

    // `playdeck32 --where`: where the game was found and what would start it.
    if (argc == 2 && std::strcmp(argv[1], "--where") == 0)
        return playdeck::RunWhereCommand(std::cout, std::cerr);

    return qm::RunWindowLibrary("playdeck32", QM_WINDOW_LIBRARY, "Playdeck32WindowMain", argc,
                                argv);
}
