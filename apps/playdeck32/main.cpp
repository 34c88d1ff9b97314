#include "launcher/list_command.h"
#include "launcher/ui/playdeck32_app.h"
#include "launcher/where_command.h"

#include <QApplication>
#include <QCoreApplication>
#include <algorithm>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

int main(int argc, char** argv)
{
    // `playdeck32 --list [single|multi|mods]`: the catalogue as text, no window.
    if (argc >= 2 && std::strcmp(argv[1], "--list") == 0) {
        QCoreApplication core(argc, argv);
        return playdeck::RunListCommand(argc >= 3 ? argv[2] : "", std::cout, std::cerr);
    }

    // `playdeck32 --where`: where the game was found and what would start it.
    if (argc == 2 && std::strcmp(argv[1], "--where") == 0) {
        QCoreApplication core(argc, argv);
        return playdeck::RunWhereCommand(std::cout, std::cerr);
    }

    QApplication app(argc, argv);
    // argv as the system gave it (Qt has taken its own options out): a path
    // that is not UTF-8 must still name its file.
    const std::vector<std::string> arguments(argv + std::min(argc, 1), argv + argc);
    playdeck::CPLAYDECK32App launcher;
    if (!launcher.InitInstance(arguments))
        return launcher.exitCode();
    return app.exec();
}
