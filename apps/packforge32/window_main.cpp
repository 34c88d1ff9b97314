// PACKFORGE32's window, in a library of its own so that a command line
// starts without the widget toolkit.
#include "common/window_library.h"
#include "vpp/ui/forge_frame.h"
#include "xplook/flat_look.h"

#include <QApplication>

extern "C" QM_WINDOW_ENTRY int Packforge32WindowMain(int argc, char** argv)
{
    // Arguments stay bytes: a packfile path may not be UTF-8.
    const std::vector<std::string> args(argv + 1, argv + argc);
    QApplication qapp(argc, argv);
    QApplication::setApplicationName(QStringLiteral("PACKFORGE32"));
    qm::xp::FlatLookManager::Instance().InstallHook(qm::xp::HookMode::OnDialogInit);
    packforge::CMainFrame frame;
    frame.show();
    if (!args.empty())
        frame.OpenPackfile(args.front());
    return qapp.exec();
}
