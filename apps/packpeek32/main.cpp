#include "vpp/commands.h"
#include "vpp/tool_main.h"

int main(int argc, char** argv)
{
    return qm::vpp::RunTool(argc, argv, {qm::vpp::IsPeekCommand, qm::vpp::RunPeekCommand},
                            "packpeek32", QM_WINDOW_LIBRARY, "Packpeek32WindowMain");
}
