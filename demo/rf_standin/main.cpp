// Stand-in for the game: records how it was started (working folder and each
// argument) in rf_launch.log beside itself and prints the same record.
#include "demo/rf_standin/launch_record.h"

#include <fstream>
#include <iostream>
#include <string>
#include <unistd.h>

namespace {

std::string SelfFolder()
{
    char buf[4096];
    const ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0)
        return ".";
    std::string self(buf, static_cast<size_t>(n));
    const size_t slash = self.find_last_of('/');
    return slash == std::string::npos ? "." : self.substr(0, slash);
}

} // namespace

int main(int argc, char** argv)
{
    char cwd[4096];
    const std::string folder = ::getcwd(cwd, sizeof cwd) ? cwd : "?";
    const std::string record = qm::demo::LaunchRecord(folder, argc, argv);

    std::cout << "Red Faction (stand-in) started\n" << record << std::flush;
    std::ofstream log(SelfFolder() + "/rf_launch.log", std::ios::app | std::ios::binary);
    log << record;
    return log ? 0 : 1;
}
