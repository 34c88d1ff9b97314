// Stand-in for the game: records how it was started (working folder and each
// argument) in rf_launch.log beside itself and prints the same record.
// Record format, one item a line, backslash and line breaks escaped:
//   launch
//   cwd <working folder>
//   arg <argument>        (one line per argument, in order)
//   end
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <unistd.h>

namespace {

std::string Escape(const std::string& s)
{
    std::string out;
    for (char c : s) {
        if (c == '\\')
            out += "\\\\";
        else if (c == '\n')
            out += "\\n";
        else if (c == '\r')
            out += "\\r";
        else
            out += c;
    }
    return out;
}

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
    std::ostringstream record;
    record << "launch\n"
           << "cwd " << Escape(folder) << "\n";
    for (int i = 1; i < argc; ++i)
        record << "arg " << Escape(argv[i]) << "\n";
    record << "end\n";

    std::cout << "Red Faction (stand-in) started\n" << record.str() << std::flush;
    std::ofstream log(SelfFolder() + "/rf_launch.log", std::ios::app | std::ios::binary);
    log << record.str();
    return log ? 0 : 1;
}
