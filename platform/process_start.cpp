#include "platform/process_start.h"

#include "platform/file_system.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>

#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

bool IsNativeExecutable(const std::string& path)
{
    // Regular files only: a FIFO would hold the open forever.
    const fs::ReadFile file(path);
    char magic[4] = {};
    const size_t got = file.readAt(magic, sizeof magic, 0);
    if (got >= 2 && magic[0] == '#' && magic[1] == '!')
        return true;
    return got == 4 && magic[0] == '\x7f' && magic[1] == 'E' && magic[2] == 'L' && magic[3] == 'F';
}

std::optional<std::string> FindOnPath(const std::string& name)
{
    if (name.empty())
        return std::nullopt;
    const char* path = std::getenv("PATH");
    if (!path)
        return std::nullopt;
    std::string_view rest(path);
    while (true) {
        const size_t colon = rest.find(':');
        const std::string_view dir = rest.substr(0, colon);
        // An empty PATH entry means the current folder.
        const std::string candidate =
            (dir.empty() ? std::string(".") : std::string(dir)) + "/" + name;
        struct stat st {};
        if (::stat(candidate.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
            ::access(candidate.c_str(), X_OK) == 0)
            return candidate;
        if (colon == std::string_view::npos)
            break;
        rest.remove_prefix(colon + 1);
    }
    return std::nullopt;
}

std::optional<ProcessStartRequest> ResolveProgramRunner(ProcessStartRequest request)
{
    const std::string& p = request.program;
    const bool exe = p.size() >= 4 && p[p.size() - 4] == '.' && (p[p.size() - 3] | 0x20) == 'e' &&
                     (p[p.size() - 2] | 0x20) == 'x' && (p[p.size() - 1] | 0x20) == 'e';
    if (!exe || IsNativeExecutable(p))
        return request;
    const std::optional<std::string> wine = FindOnPath("wine");
    if (!wine)
        return std::nullopt;
    request.arguments.insert(request.arguments.begin(), request.program);
    request.program = *wine;
    return request;
}

bool DetachedProcessStarter::start(const ProcessStartRequest& original)
{
    const std::optional<ProcessStartRequest> request = ResolveProgramRunner(original);
    if (!request)
        return false;
    QProcess process;
    process.setProgram(QString::fromLocal8Bit(request->program));
    QStringList args;
    for (const std::string& a : request->arguments)
        args << QString::fromLocal8Bit(a);
    process.setArguments(args);
    if (!request->workingFolder.empty())
        process.setWorkingDirectory(QString::fromLocal8Bit(request->workingFolder));
    if (!request->environment.empty()) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const auto& [name, value] : request->environment)
            env.insert(QString::fromLocal8Bit(name), QString::fromLocal8Bit(value));
        process.setProcessEnvironment(env);
    }
    process.setStandardInputFile(QProcess::nullDevice());
    if (!request->outputPath.empty()) {
        process.setStandardOutputFile(QString::fromLocal8Bit(request->outputPath),
                                      QIODevice::Append);
        process.setStandardErrorFile(QString::fromLocal8Bit(request->outputPath),
                                     QIODevice::Append);
    }
    return process.startDetached();
}

bool RecordingProcessStarter::start(const ProcessStartRequest& request)
{
    m_requests.push_back(request);
    if (m_forward)
        return DetachedProcessStarter().start(request);
    return m_result;
}

namespace {
ProcessStarter* g_starter = nullptr;
} // namespace

ProcessStarter& CurrentProcessStarter()
{
    static DetachedProcessStarter real;
    return g_starter ? *g_starter : real;
}

ProcessStarter* SetProcessStarter(ProcessStarter* starter)
{
    ProcessStarter* previous = g_starter;
    g_starter = starter;
    return previous;
}

bool StartProgram(const std::string& program, const std::string& parameters,
                  const std::string& workingFolder)
{
    return CurrentProcessStarter().start(
        ProcessStartRequest{program, SplitWindowsCommandLine(parameters), workingFolder, {}});
}

} // namespace qm
