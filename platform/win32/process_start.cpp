#include "platform/process_start.h"

#include "platform/win32/wide.h"

#include <map>
#include <windows.h>

#include <shellapi.h>

// Programs start as ShellExecute starts them: the parameter string goes to
// the program as it was given, and the program's C runtime splits it. No
// runner: every .exe here is native.

namespace qm {

namespace {

using win32::Wide;

// The caller's environment with the request's variables over it, sorted as
// CreateProcess wants (names compare without regard to case).
std::wstring environmentBlock(const std::vector<std::pair<std::string, std::string>>& extra)
{
    struct Less {
        bool operator()(const std::wstring& a, const std::wstring& b) const
        {
            return CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(),
                                        static_cast<int>(b.size()), TRUE) == CSTR_LESS_THAN;
        }
    };
    std::map<std::wstring, std::wstring, Less> vars;
    if (wchar_t* env = GetEnvironmentStringsW()) {
        for (const wchar_t* p = env; *p; p += wcslen(p) + 1) {
            const std::wstring_view kv(p);
            // "=C:=C:\dir" entries keep the per-drive folders; their name starts at '='.
            const size_t eq = kv.find(L'=', 1);
            if (eq != std::wstring_view::npos)
                vars[std::wstring(kv.substr(0, eq))] = std::wstring(kv.substr(eq + 1));
        }
        FreeEnvironmentStringsW(env);
    }
    for (const auto& [name, value] : extra)
        vars[Wide(name)] = Wide(value);
    std::wstring block;
    for (const auto& [name, value] : vars) {
        block += name;
        block += L'=';
        block += value;
        block += L'\0';
    }
    block += L'\0';
    return block;
}

HANDLE openForAppend(const std::string& path)
{
    SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
    return CreateFileW(Wide(path).c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                       &sa, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
}

} // namespace

bool IsNativeExecutable(const std::string& path)
{
    // Every program Windows runs itself starts with the "MZ" of its header.
    HANDLE h = CreateFileW(Wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                           nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    char magic[2] = {};
    DWORD got = 0;
    const bool ok = ::ReadFile(h, magic, 2, &got, nullptr) && got == 2;
    CloseHandle(h);
    return ok && magic[0] == 'M' && magic[1] == 'Z';
}

std::optional<std::string> FindOnPath(const std::string& name)
{
    if (name.empty())
        return std::nullopt;
    wchar_t found[MAX_PATH * 4];
    const DWORD n = SearchPathW(nullptr, Wide(name).c_str(), L".exe", MAX_PATH * 4, found, nullptr);
    if (n == 0 || n >= MAX_PATH * 4)
        return std::nullopt;
    return win32::Bytes(std::wstring_view(found, n));
}

std::optional<ProcessStartRequest> ResolveProgramRunner(ProcessStartRequest request)
{
    return request;
}

bool DetachedProcessStarter::start(const ProcessStartRequest& request)
{
    if (request.program.empty())
        return false;
    const std::string parameters = !request.parameters.empty()
                                       ? request.parameters
                                       : JoinWindowsCommandLine(request.arguments);
    // The program in quotes, as the shell writes it (a path holds no quote).
    std::wstring commandLine = L"\"" + Wide(request.program) + L"\"";
    if (!parameters.empty())
        commandLine += L" " + Wide(parameters);
    const std::wstring folder = Wide(request.workingFolder);
    std::wstring env;
    if (!request.environment.empty())
        env = environmentBlock(request.environment);

    STARTUPINFOW si{};
    si.cb = sizeof si;
    HANDLE out = INVALID_HANDLE_VALUE;
    HANDLE in = INVALID_HANDLE_VALUE;
    if (!request.outputPath.empty()) {
        out = openForAppend(request.outputPath);
        SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
        in = CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &sa,
                         OPEN_EXISTING, 0, nullptr);
        if (out != INVALID_HANDLE_VALUE) {
            si.dwFlags = STARTF_USESTDHANDLES;
            si.hStdInput = in;
            si.hStdOutput = out;
            si.hStdError = out;
        }
    }
    PROCESS_INFORMATION pi{};
    const BOOL started = CreateProcessW(
        nullptr, commandLine.data(), nullptr, nullptr, si.dwFlags ? TRUE : FALSE,
        CREATE_NEW_PROCESS_GROUP | CREATE_DEFAULT_ERROR_MODE | CREATE_UNICODE_ENVIRONMENT,
        env.empty() ? nullptr : env.data(), folder.empty() ? nullptr : folder.c_str(), &si, &pi);
    const DWORD error = started ? 0 : GetLastError();
    if (out != INVALID_HANDLE_VALUE)
        CloseHandle(out);
    if (in != INVALID_HANDLE_VALUE)
        CloseHandle(in);
    if (started) {
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
        return true;
    }
    if (error != ERROR_BAD_EXE_FORMAT && error != ERROR_FILE_NOT_FOUND)
        return false;
    // Not a program CreateProcess knows (a document, a registered name):
    // the shell's "open" decides.
    const std::wstring file = Wide(request.program);
    const std::wstring params = Wide(parameters);
    SHELLEXECUTEINFOW sei{};
    sei.cbSize = sizeof sei;
    sei.fMask = SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
    sei.lpVerb = L"open";
    sei.lpFile = file.c_str();
    sei.lpParameters = params.empty() ? nullptr : params.c_str();
    sei.lpDirectory = folder.empty() ? nullptr : folder.c_str();
    sei.nShow = SW_SHOWNORMAL;
    return ShellExecuteExW(&sei) != FALSE;
}

bool StartProgram(const std::string& program, const std::string& parameters,
                  const std::string& workingFolder)
{
    ProcessStartRequest request{program, SplitWindowsCommandLine(parameters), workingFolder, {}};
    request.parameters = parameters;
    return CurrentProcessStarter().start(request);
}

} // namespace qm
