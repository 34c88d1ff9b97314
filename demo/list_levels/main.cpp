// qm_list_levels [single|multi|mods]: prints the catalogue of the installed
// game, as `playdeck32 --list` does.
#include "launcher/list_command.h"

#include <iostream>

int main(int argc, char** argv)
{
    if (argc > 2) {
        std::cerr << "usage: qm_list_levels [single|multi|mods]\n";
        return 2;
    }
    return playdeck::RunListCommand(argc == 2 ? argv[1] : "", std::cout, std::cerr);
}
