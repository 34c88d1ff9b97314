#pragma once

// A slow, literal transcription of the table rules, step by step on whole
// strings, used as an oracle for the streaming converter (tests and fuzzing).

#include "tblview/anchor_list.h"

#include <string>
#include <string_view>

namespace gridlens::test {

inline void replaceAll(std::string& s, std::string_view from, std::string_view to)
{
    for (size_t pos = s.find(from); pos != std::string::npos; pos = s.find(from, pos + to.size()))
        s.replace(pos, from.size(), to);
}

inline bool startsWith(const std::string& s, std::string_view prefix)
{
    return s.compare(0, prefix.size(), prefix) == 0;
}

inline std::string LiteralConvert(std::string_view table, AnchorList& anchors)
{
    const std::string green = "<font color=\"008000\">";
    const std::string br = "<br>\r\n";
    std::string page = "<html>\r\n<body background=white>\r\n"
                       "<font face=\"Tahoma,Arial\" size=\"2\">\r\n";
    const std::string close = "</font>\r\n</body>\r\n</html>\r\n";
    anchors.reset();

    std::string encryption;
    if (table.size() >= 4) {
        if (table.substr(0, 4) == "\xEF\xBE\xAD\xDE")
            encryption = "iTBL";
        else if (table.substr(0, 4) == "\xCA\xCA\xCA\xCA")
            encryption = "eTBL";
    }
    if (!encryption.empty()) {
        page += "<font color=red><b>ERROR:</b></font><br><br>This file is an encoded FreeSpace 1 "
                "file using <b>" +
                encryption +
                " encryption</b>. Quorvel Manager GRIDLENS32 Light Edition does not directly "
                "support encrypted files. If this file is in a .VPP, extract it via PACKPEEK32 to "
                "decode it. You might need to enable decoding in the Options dialog of "
                "PACKPEEK32.<br>";
        return page + close;
    }

    anchors.AddAnchor("(Top)", Section);
    page += "<a name=\"0\"></a>\r\n";
    bool inComment = false;
    size_t pos = 0;
    bool eof = false;
    while (!eof) {
        std::string line;
        for (;;) {
            if (pos >= table.size()) {
                line += '\r';
                eof = true;
                break;
            }
            char c = table[pos++];
            if (c == '\n') {
                if (pos >= 2 && table[pos - 2] == '\r')
                    continue; // the LF of CR LF
                line += '\r';
                break;
            }
            line += c;
            if (c == '\r')
                break;
        }

        replaceAll(line, "<", "&lt;");
        replaceAll(line, ">", "&gt;");

        if (line.find("/*") != std::string::npos)
            inComment = true;
        if (inComment) {
            line = green + line + "</font>";
            if (line.find("*/") != std::string::npos)
                inComment = false;
            page += line + br;
            continue;
        }

        bool indented = false;
        bool comment = false;
        if (startsWith(line, "//") || startsWith(line, ";")) {
            line = green + line + "</font>";
            comment = true;
        }
        if (!comment && (line[0] == '\t' || line[0] == ' ')) {
            line.erase(0, line.find_first_not_of(' '));
            line.erase(0, line.find_first_not_of('\t'));
            indented = true;
        }

        auto number = [&] { return std::to_string(anchors.count() - 1); };
        auto highlight = [&](const std::string& inner) {
            return "<a name=\"" + number() + "\"><span style=\"background-color: #ffff00\">" +
                   inner + "</span></a>";
        };
        switch (line[0]) {
        case '#':
            if (!startsWith(line, "#End") && !startsWith(line, "#end"))
                anchors.AddAnchor(line, Section);
            line = "<a name=\"" + number() + "\"><font color=\"ff0000\"><b><u>" + line +
                   "</u></b></font>";
            break;
        case '$': {
            line = "<font color=\"0000ff\"><b>" + line;
            size_t colon = line.find(':');
            if (colon == std::string::npos)
                line += "</b></font>";
            else
                line.insert(colon + 1, "</b></font>");
            if (line.compare(24, 6, "$Name:") == 0 || line.compare(24, 6, "$name:") == 0) {
                anchors.AddAnchor(line.substr(41), Entry);
                line = highlight(line);
            }
            if (line.compare(24, 11, "$Class Name") == 0) {
                anchors.AddAnchor(line.size() > 47 ? line.substr(47) : std::string(), Entry);
                line = highlight(line);
            }
            break;
        }
        case '+':
        case '@': {
            line = "<font color=\"0000ff\">" + line;
            size_t at = line.find(':');
            if (at == std::string::npos)
                at = line.find(' ', 6);
            if (at == std::string::npos)
                line += "</font>";
            else
                line.insert(at + 1, "</font>");
            break;
        }
        case '[':
            anchors.AddAnchor(line.size() > 3 ? line.substr(1, line.size() - 3) : std::string(),
                              Entry);
            line = "<a name=\"" + number() +
                   "\"><span style=\"background-color: #ffff00\"><font color=\"ff0000\"><b>" +
                   line + "</font></span></a>";
            break;
        default:
            break;
        }
        if (indented)
            line = "&nbsp;&nbsp;&nbsp;&nbsp;" + line;
        page += line + br;
    }
    return page + close;
}

} // namespace gridlens::test
