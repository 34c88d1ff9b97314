#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace gridlens {

// What GRIDLENS32L's command line asks for. As the framework does, "-" and
// "/" both start a switch: "/p FILE" (or -p) prints FILE, "/pt FILE PRINTER
// [DRIVER PORT]" prints it there. "/" followed by no switch name is a path.
// "--convert TABLE PAGE" converts without a window, "--help" shows the usage,
// and everything after "--" is a file name. Arguments are bytes, kept as given.
struct CommandLineInfo {
    enum class Command { FileNew, FileOpen, FilePrint, FilePrintTo, Convert, Help, Error };
    Command command = Command::FileNew;
    std::string fileName;
    std::string printerName;
    std::string pagePath; // Convert's output
    std::string error;    // Error: what was wrong

    static CommandLineInfo Parse(const std::vector<std::string>& arguments); // without argv[0]
};

// The usage text of gridlens32l.
std::string ViewerUsage();

// The command-line conversion of qm_tbl2html and gridlens32l --convert: the
// page of table, written atomically to page. Exit status 0 done, 1 failed
// (told on err, prefixed with program).
int RunConvertCommand(const std::string& program, const std::string& table, const std::string& page,
                      std::ostream& err);

} // namespace gridlens
