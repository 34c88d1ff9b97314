#pragma once

// The record the game's stand-ins write of how they were started, one item a
// line, backslash and line breaks escaped:
//   launch
//   cwd <working folder>
//   line <the command line>   (Windows only: the game sees it in its code page)
//   arg <argument>            (one line per argument, in order)
//   end
// Header-only and free of system calls: each stand-in is a lone program.

#include <string>

namespace qm::demo {

inline std::string EscapeRecordItem(const std::string& s)
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

inline std::string LaunchRecord(const std::string& folder, int argc, char** argv,
                                const char* commandLine = nullptr)
{
    std::string record = "launch\ncwd " + EscapeRecordItem(folder) + "\n";
    if (commandLine)
        record += "line " + EscapeRecordItem(commandLine) + "\n";
    for (int i = 1; i < argc; ++i)
        record += "arg " + EscapeRecordItem(argv[i]) + "\n";
    return record + "end\n";
}

} // namespace qm::demo
