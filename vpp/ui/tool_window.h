#pragma once

#include "xplook/flat_look.h"

#include <QApplication>
#include <string>
#include <vector>

namespace qm::vpp::ui {

// A packfile tool's window: Frame on the packfile the command line names (the
// launcher passes it as one argument), until the window closes.
template <typename Frame> int RunToolWindow(int argc, char** argv, const QString& name)
{
    // Arguments stay bytes: a packfile path may not be UTF-8.
    const std::vector<std::string> args(argv + 1, argv + argc);
    QApplication qapp(argc, argv);
    QApplication::setApplicationName(name);
    qm::xp::FlatLookManager::Instance().InstallHook(qm::xp::HookMode::OnDialogInit);
    Frame frame;
    frame.show();
    if (!args.empty())
        frame.OpenPackfile(args.front());
    return qapp.exec();
}

} // namespace qm::vpp::ui
