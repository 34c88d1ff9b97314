#include "platform/process_start.h"

#include "common/display_text.h"
#include "platform/exec_argv.h"
#include "platform/file_system.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <linux/close_range.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace qm {

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
    request.arguments = ArgumentsForWindowsProgram(std::move(request.arguments));
    request.arguments.insert(request.arguments.begin(), request.program);
    request.program = *wine;
    return request;
}

namespace {

// Everything the child needs, built before fork: after fork only
// async-signal-safe calls are allowed (Qt runs other threads).
struct SpawnPlan {
    std::string program;
    std::vector<std::string> argv;
    std::vector<std::string> envp;
    std::string workingFolder;
    std::vector<char*> argvPointers;
    std::vector<char*> envpPointers;
};

bool nameIs(const std::string& entry, const std::string& name)
{
    return entry.size() > name.size() && entry.compare(0, name.size(), name) == 0 &&
           entry[name.size()] == '=';
}

std::vector<std::string>
environmentWith(const std::vector<std::pair<std::string, std::string>>& additions)
{
    std::vector<std::string> env;
    for (char** e = environ; e && *e; ++e)
        env.emplace_back(*e);
    for (const auto& addition : additions) {
        // clang 14 cannot capture a structured binding.
        const std::string& name = addition.first;
        std::erase_if(env, [&](const std::string& entry) { return nameIs(entry, name); });
        env.push_back(name + "=" + addition.second);
    }
    return env;
}

// In the grandchild: tell the parent why the start failed, then leave.
[[noreturn]] void failChild(int reportFd)
{
    const int error = errno;
    [[maybe_unused]] const ssize_t ignored = ::write(reportFd, &error, sizeof error);
    ::_exit(127);
}

// Runs in the intermediate child; never returns.
[[noreturn]] void runDetached(const SpawnPlan& plan, int reportFd, int inputFd, int outputFd)
{
    // Its own session: the game outlives the launcher and its terminal.
    ::setsid();
    const pid_t grandchild = ::fork();
    if (grandchild < 0)
        failChild(reportFd);
    if (grandchild > 0)
        ::_exit(0); // reaped at once by the parent; init adopts the grandchild
    ::signal(SIGPIPE, SIG_DFL);
    sigset_t none;
    sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    if (::dup2(inputFd, STDIN_FILENO) < 0 || ::dup2(outputFd, STDOUT_FILENO) < 0 ||
        ::dup2(outputFd, STDERR_FILENO) < 0)
        failChild(reportFd);
    // Descriptors the launcher forgot to mark close-on-exec stay with it.
    ::close_range(3, ~0U, CLOSE_RANGE_CLOEXEC);
    if (!plan.workingFolder.empty() && ::chdir(plan.workingFolder.c_str()) != 0)
        failChild(reportFd);
    ::execve(plan.program.c_str(), plan.argvPointers.data(), plan.envpPointers.data());
    failChild(reportFd);
}

} // namespace

std::vector<std::string> ArgumentsForWindowsProgram(std::vector<std::string> arguments)
{
    // Wine reads its argv as UTF-8 and hands the program its ANSI code page:
    // "é" as UTF-8 reaches the game as 0xE9, a raw 0xE9 would not.
    for (std::string& a : arguments)
        a = DisplayUtf8(a);
    return arguments;
}

bool SpawnDetached(const ProcessStartRequest& request, std::string* error)
{
    const auto fail = [&](const std::string& what, int code) {
        if (error)
            *error = what + ": " + std::strerror(code);
        return false;
    };
    SpawnPlan plan;
    plan.program = request.program;
    if (plan.program.find('/') == std::string::npos) {
        const std::optional<std::string> found = FindOnPath(plan.program);
        if (!found)
            return fail(plan.program, ENOENT);
        plan.program = *found;
    }
    plan.argv.push_back(request.program);
    plan.argv.insert(plan.argv.end(), request.arguments.begin(), request.arguments.end());
    plan.envp = environmentWith(request.environment);
    plan.workingFolder = request.workingFolder;
    plan.argvPointers = ExecPointers(plan.argv);
    plan.envpPointers = ExecPointers(plan.envp);

    const int input = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    if (input < 0)
        return fail("/dev/null", errno);
    int output = -1;
    if (!request.outputPath.empty())
        output =
            ::open(request.outputPath.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
    // A log that cannot be written must not keep the game from starting.
    if (output < 0)
        output = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    int report[2];
    if (output < 0 || ::pipe2(report, O_CLOEXEC) != 0) {
        const int code = errno;
        ::close(input);
        if (output >= 0)
            ::close(output);
        return fail("pipe", code);
    }

    const pid_t child = ::fork();
    if (child == 0) {
        ::close(report[0]);
        runDetached(plan, report[1], input, output);
    }
    const int forkError = errno;
    ::close(report[1]);
    ::close(input);
    ::close(output);
    if (child < 0) {
        ::close(report[0]);
        return fail("fork", forkError);
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    // The report pipe closes on a successful exec; an errno arrives otherwise.
    int childError = 0;
    ssize_t got;
    do {
        got = ::read(report[0], &childError, sizeof childError);
    } while (got < 0 && errno == EINTR);
    ::close(report[0]);
    if (got == sizeof childError)
        return fail(request.program, childError);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return fail(request.program, ECHILD);
    return true;
}

bool DetachedProcessStarter::start(const ProcessStartRequest& original)
{
    const std::optional<ProcessStartRequest> request = ResolveProgramRunner(original);
    if (!request)
        return false;
    return SpawnDetached(*request, nullptr);
}

bool StartProgram(const std::string& program, const std::string& parameters,
                  const std::string& workingFolder)
{
    return CurrentProcessStarter().start(
        ProcessStartRequest{program, SplitWindowsCommandLine(parameters), workingFolder, {}});
}

} // namespace qm
