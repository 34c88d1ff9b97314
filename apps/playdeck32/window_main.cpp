// The launcher's window, kept in a library of its own so that `playdeck32
// --list` and `--where` start without loading the widget toolkit.
#include "common/window_library.h"
#include "launcher/ui/playdeck32_app.h"

#include <QApplication>
#include <algorithm>
#include <string>
#include <vector>

extern "C" QM_WINDOW_ENTRY int Playdeck32WindowMain(int argc, char** argv)
{
    QApplication app(argc, argv);
    // argv as the system gave it (Qt has taken its own options out): a path
    // that is not UTF-8 must still name its file.
    const std::vector<std::string> arguments(argv + std::min(argc, 1), argv + argc);
    playdeck::CPLAYDECK32App launcher;
    if (!launcher.InitInstance(arguments))
        return launcher.exitCode();
    return app.exec();
}
