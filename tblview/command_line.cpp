#include "tblview/command_line.h"

#include "platform/file_system.h"
#include "tblview/tbl_converter.h"

#include <algorithm>
#include <array>
#include <ostream>
#include <string_view>

namespace gridlens {

namespace {

std::string lower(std::string s)
{
    for (char& c : s)
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    return s;
}

// The framework's own switches, which the viewer accepts and ignores.
constexpr std::array<std::string_view, 6> kIgnored = {"dde",       "embedding",   "automation",
                                                      "regserver", "unregserver", "unregister"};
constexpr std::array<std::string_view, 6> kKnown = {"p", "pt", "help", "h", "?", "convert"};

bool isKnown(const std::string& name)
{
    return std::find(kKnown.begin(), kKnown.end(), name) != kKnown.end() ||
           std::find(kIgnored.begin(), kIgnored.end(), name) != kIgnored.end();
}

} // namespace

CommandLineInfo CommandLineInfo::Parse(const std::vector<std::string>& arguments)
{
    CommandLineInfo info;
    std::vector<std::string> plain;
    bool switchesEnd = false;
    bool help = false, convert = false;
    for (const std::string& arg : arguments) {
        if (switchesEnd || arg.size() < 2 || (arg[0] != '-' && arg[0] != '/')) {
            plain.push_back(arg);
            continue;
        }
        if (arg == "--") {
            switchesEnd = true;
            continue;
        }
        std::string name = lower(arg.substr(arg.compare(0, 2, "--") == 0 ? 2 : 1));
        // "/home/x.tbl" is a path: after "/" only a switch name counts.
        if (arg[0] == '/' && !isKnown(name)) {
            plain.push_back(arg);
            continue;
        }
        if (name == "p")
            info.command = Command::FilePrint;
        else if (name == "pt")
            info.command = Command::FilePrintTo;
        else if (name == "help" || name == "h" || name == "?")
            help = true;
        else if (name == "convert")
            convert = true;
        else if (!isKnown(name)) {
            info.command = Command::Error;
            info.error = "unknown switch \"" + arg + "\"";
            return info;
        }
    }
    if (help) {
        info.command = Command::Help;
        return info;
    }
    if (convert) {
        if (plain.size() != 2) {
            info.command = Command::Error;
            info.error = "--convert needs a table and a page: --convert TABLE.tbl PAGE.html";
            return info;
        }
        info.command = Command::Convert;
        info.fileName = plain[0];
        info.pagePath = plain[1];
        return info;
    }
    if (plain.empty()) {
        info.command = Command::FileNew;
        return info;
    }
    info.fileName = plain[0];
    if (info.command == Command::FileNew)
        info.command = Command::FileOpen;
    // Driver and port may follow the printer; the name is enough here.
    if (info.command == Command::FilePrintTo && plain.size() > 1)
        info.printerName = plain[1];
    return info;
}

std::string ViewerUsage()
{
    return "Usage: gridlens32l [TABLE.tbl]\n"
           "       gridlens32l /p TABLE.tbl            print on the default printer\n"
           "       gridlens32l /pt TABLE.tbl PRINTER   print on PRINTER\n"
           "       gridlens32l --convert TABLE.tbl PAGE.html\n"
           "                                           write the page without a window\n"
           "       gridlens32l --help\n"
           "Switches start with \"-\" or \"/\" (-p, -pt); a file name that starts with \"-\"\n"
           "goes after \"--\". Exit status: 0 done, 1 failed, 2 usage error.\n";
}

int RunConvertCommand(const std::string& program, const std::string& table, const std::string& page,
                      std::ostream& err)
{
    std::string error;
    bool ok = false;
    const qm::fs::FileInfo info = qm::fs::Stat(table);
    if (info.kind == qm::fs::FileKind::Regular && info.size == 0) {
        // As the viewer shows it: an empty table is an empty page.
        ok = qm::fs::SaveFileAtomic(page, EmptyPageText(), {}, &error);
        if (!ok)
            error = "Cannot write \"" + page + "\": " + error;
    } else {
        AnchorList anchors;
        ok = ConvertTableFile(table, page, anchors, &error);
    }
    if (!ok) {
        err << program << ": " << error << "\n";
        return 1;
    }
    return 0;
}

} // namespace gridlens
