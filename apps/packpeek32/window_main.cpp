// PACKPEEK32's window, in a library of its own so that a listing starts
// without the widget toolkit.
#include "common/window_library.h"
#include "vpp/ui/peek_frame.h"
#include "vpp/ui/tool_window.h"

extern "C" QM_WINDOW_ENTRY int Packpeek32WindowMain(int argc, char** argv)
{
    return qm::vpp::ui::RunToolWindow<packpeek::CMainFrame>(argc, argv,
                                                            QStringLiteral("PACKPEEK32"));
}
