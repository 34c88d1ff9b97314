// Stand-in for the game on Windows: records how it was started, as the game
// (an ANSI program) sees it, in rf_launch.log beside itself. One item a line,
// backslash and line breaks escaped:
//   launch
//   cwd <working folder>
//   line <the command line in the ANSI code page>
//   arg <argument>        (argv as the C runtime splits it, one line each)
//   end
#include <windows.h>

#include <fstream>
#include <string>

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

} // namespace

int main(int argc, char** argv)
{
    char buf[MAX_PATH * 4];
    const DWORD n = GetCurrentDirectoryA(sizeof buf, buf);
    std::string record = "launch\ncwd " + Escape(std::string(buf, n)) + "\n";
    record += "line " + Escape(GetCommandLineA()) + "\n";
    for (int i = 1; i < argc; ++i)
        record += "arg " + Escape(argv[i]) + "\n";
    record += "end\n";

    const DWORD len = GetModuleFileNameA(nullptr, buf, sizeof buf);
    std::string self(buf, len);
    const size_t sep = self.find_last_of("\\/");
    std::ofstream log(self.substr(0, sep + 1) + "rf_launch.log", std::ios::app | std::ios::binary);
    log << record;
    return log ? 0 : 1;
}
