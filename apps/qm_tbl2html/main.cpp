// qm_tbl2html TABLE.tbl PAGE.html: GRIDLENS32L's page of a table, without a window.
#include "tblview/command_line.h"

#include <iostream>
#include <string>
#include <vector>

namespace {
constexpr const char* kUsage = "Usage: qm_tbl2html TABLE.tbl PAGE.html\n"
                               "Writes the colourised page GRIDLENS32L shows for a table.\n"
                               "A file name that starts with \"-\" goes after \"--\".\n"
                               "Exit status: 0 done, 1 failed, 2 usage error.\n";
}

int main(int argc, char** argv)
{
    std::vector<std::string> files;
    bool switchesEnd = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (!switchesEnd && arg == "--") {
            switchesEnd = true;
        } else if (!switchesEnd && (arg == "--help" || arg == "-h" || arg == "/?")) {
            std::cout << kUsage;
            return 0;
        } else if (!switchesEnd && arg.size() > 1 && arg[0] == '-') {
            std::cerr << "qm_tbl2html: unknown switch \"" << arg << "\"\n" << kUsage;
            return 2;
        } else {
            files.push_back(arg);
        }
    }
    if (files.size() != 2) {
        std::cerr << kUsage;
        return 2;
    }
    return gridlens::RunConvertCommand("qm_tbl2html", files[0], files[1], std::cerr);
}
