#include "platform/environment.h"

#include "platform/win32/wide.h"

#include <windows.h>

#include <shellapi.h>
#include <stdlib.h>

// The C runtime keeps its own copy of the environment (getenv reads it), and
// started programs get the Win32 one: _wputenv_s keeps both in step.

namespace qm {

std::optional<std::string> GetEnv(const std::string& name)
{
    const wchar_t* v = _wgetenv(win32::Wide(name).c_str());
    return v ? std::optional<std::string>(win32::Bytes(v)) : std::nullopt;
}

bool SetEnv(const std::string& name, const std::string& value)
{
    // An empty value would remove the variable; Windows cannot hold one set
    // to "" in the C runtime, so the Win32 side carries it.
    if (value.empty())
        return SetEnvironmentVariableW(win32::Wide(name).c_str(), L"") != 0;
    return _wputenv_s(win32::Wide(name).c_str(), win32::Wide(value).c_str()) == 0;
}

bool UnsetEnv(const std::string& name)
{
    return _wputenv_s(win32::Wide(name).c_str(), L"") == 0;
}

std::vector<std::string> ProgramArguments(int, char**)
{
    std::vector<std::string> out;
    int n = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &n);
    if (!wide)
        return out;
    for (int i = 1; i < n; ++i)
        out.push_back(win32::Bytes(wide[i]));
    LocalFree(wide);
    return out;
}

std::string OwnProgramPath()
{
    std::wstring buf(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
        if (n == 0)
            return {};
        if (n < buf.size())
            return win32::Bytes(std::wstring_view(buf.data(), n));
        buf.resize(buf.size() * 2);
    }
}

} // namespace qm
