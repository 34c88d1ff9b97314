#include "common/tools_library.h"

#include "common/window_library.h"
#include "platform/shared_library.h"

namespace qm {

namespace {
std::string& overridePath()
{
    static std::string path;
    return path;
}
} // namespace

void SetToolsLibraryPath(const std::string& path)
{
    overridePath() = path;
}

bool CallToolsLibrary(const char* entry)
{
    // Every call loads afresh and unloads right after: nothing stays loaded
    // between calls, so an updated library is picked up at once.
    std::string path = overridePath();
    if (path.empty())
        path = FindSuiteLibrary("libqm_tools.so");
    if (path.empty())
        path = "libqm_tools.so"; // the system's library path
    const auto library = SharedLibrary::Open(path);
    if (!library)
        return false;
    using Entry = void (*)();
    auto fn = reinterpret_cast<Entry>(library->Symbol(entry));
    if (fn)
        fn();
    return fn != nullptr;
}

} // namespace qm
