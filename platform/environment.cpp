#include "platform/environment.h"

#include <cstdlib>
#include <unistd.h>

namespace qm {

std::optional<std::string> GetEnv(const std::string& name)
{
    const char* v = std::getenv(name.c_str());
    return v ? std::optional<std::string>(v) : std::nullopt;
}

bool SetEnv(const std::string& name, const std::string& value)
{
    return ::setenv(name.c_str(), value.c_str(), 1) == 0;
}

bool UnsetEnv(const std::string& name)
{
    return ::unsetenv(name.c_str()) == 0;
}

std::vector<std::string> ProgramArguments(int argc, char** argv)
{
    return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
}

std::string OwnProgramPath()
{
    std::string buf(4096, '\0');
    const ssize_t n = ::readlink("/proc/self/exe", buf.data(), buf.size());
    if (n <= 0 || static_cast<size_t>(n) >= buf.size())
        return {};
    buf.resize(static_cast<size_t>(n));
    return buf;
}

} // namespace qm
