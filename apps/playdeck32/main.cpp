#include "launcher/list_command.h"
#include "launcher/ui/playdeck32_app.h"
#include "launcher/where_command.h"

#include <QApplication>
#include <QCoreApplication>
#include <cstring>
#include <iostream>

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
    playdeck::CPLAYDECK32App launcher;
    if (!launcher.InitInstance(QCoreApplication::arguments().mid(1)))
        return launcher.exitCode();
    return app.exec();
}
