// Stand-in for the game on Windows: records how it was started, as the game
// (an ANSI program) sees it, in rf_launch.log beside itself; the record has a
// "line" item with the command line in the ANSI code page, and the arguments
// as the C runtime splits them.
#include "demo/rf_standin/launch_record.h"

#include <windows.h>

#include <fstream>
#include <string>

int main(int argc, char** argv)
{
    char buf[MAX_PATH * 4];
    const DWORD n = GetCurrentDirectoryA(sizeof buf, buf);
    const std::string record =
        qm::demo::LaunchRecord(std::string(buf, n), argc, argv, GetCommandLineA());

    const DWORD len = GetModuleFileNameA(nullptr, buf, sizeof buf);
    std::string self(buf, len);
    const size_t sep = self.find_last_of("\\/");
    std::ofstream log(self.substr(0, sep + 1) + "rf_launch.log", std::ios::app | std::ios::binary);
    log << record;
    return log ? 0 : 1;
}
