#include "platform/process_start.h"

// What every system's process start shares: the Windows command-line rules
// and the one current starter.

namespace qm {

std::vector<std::string> SplitWindowsCommandLine(std::string_view line)
{
    std::vector<std::string> args;
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    size_t i = 0;
    const size_t n = line.size();
    while (true) {
        while (i < n && blank(line[i]))
            ++i;
        if (i >= n)
            break;
        std::string arg;
        bool quoted = false;
        while (i < n && (quoted || !blank(line[i]))) {
            if (line[i] == '\\') {
                size_t slashes = 0;
                while (i < n && line[i] == '\\') {
                    ++slashes;
                    ++i;
                }
                if (i < n && line[i] == '"') {
                    arg.append(slashes / 2, '\\');
                    if (slashes % 2) {
                        arg.push_back('"');
                        ++i;
                    }
                } else {
                    arg.append(slashes, '\\');
                }
            } else if (line[i] == '"') {
                if (quoted && i + 1 < n && line[i + 1] == '"') {
                    arg.push_back('"'); // "" inside quotes is one literal quote
                    i += 2;
                } else {
                    quoted = !quoted;
                    ++i;
                }
            } else {
                arg.push_back(line[i++]);
            }
        }
        args.push_back(std::move(arg));
    }
    return args;
}

std::string QuoteWindowsArgument(std::string_view arg)
{
    std::string out = "\"";
    size_t slashes = 0;
    for (const char c : arg) {
        if (c == '\\') {
            ++slashes;
            continue;
        }
        // Backslashes before a quote are doubled, and the quote escaped.
        out.append(c == '"' ? slashes * 2 + 1 : slashes, '\\');
        slashes = 0;
        out.push_back(c);
    }
    out.append(slashes * 2, '\\'); // before the closing quote
    out.push_back('"');
    return out;
}

std::string JoinWindowsCommandLine(const std::vector<std::string>& arguments)
{
    std::string line;
    for (const std::string& a : arguments) {
        if (!line.empty())
            line.push_back(' ');
        line += QuoteWindowsArgument(a);
    }
    return line;
}

bool RecordingProcessStarter::start(const ProcessStartRequest& request)
{
    m_requests.push_back(request);
    if (m_forward)
        return DetachedProcessStarter().start(request);
    return m_result;
}

namespace {
ServiceSlot<ProcessStarter, DetachedProcessStarter> g_starter;
} // namespace

ProcessStarter& CurrentProcessStarter()
{
    return g_starter.current();
}

ProcessStarter* SetProcessStarter(ProcessStarter* starter)
{
    return g_starter.install(starter);
}

} // namespace qm
