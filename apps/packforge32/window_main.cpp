// PACKFORGE32's window, in a library of its own so that a command line
// starts without the widget toolkit.
#include "common/window_library.h"
#include "vpp/ui/forge_frame.h"
#include "vpp/ui/tool_window.h"

extern "C" QM_WINDOW_ENTRY int Packforge32WindowMain(int argc, char** argv)
{
    return qm::vpp::ui::RunToolWindow<packforge::CMainFrame>(argc, argv,
                                                             QStringLiteral("PACKFORGE32"));
}
