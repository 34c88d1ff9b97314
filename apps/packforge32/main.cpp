#include "vpp/commands.h"
#include "vpp/tool_main.h"

int main(int argc, char** argv)
{
    return qm::vpp::RunTool(argc, argv, {qm::vpp::IsForgeCommand, qm::vpp::RunForgeCommand},
                            "packforge32", QM_WINDOW_LIBRARY, "Packforge32WindowMain");
}
