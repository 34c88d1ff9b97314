#include "common/tools_library.h"

#include "platform/file_system.h"
#include "platform/shared_library.h"

namespace qm {

namespace {
// The program's folder as bytes, without its trailing separator.
std::string ProgramFolder()
{
    std::string folder = fs::FolderOf(fs::ProgramPath());
    if (!folder.empty())
        folder.pop_back();
    return folder;
}
} // namespace

std::string ToolsLibraryCandidateBesideProgram()
{
    return ProgramFolder() + "/libqm_tools.so";
}

std::string ToolsLibraryCandidateInstalled()
{
    // An installed suite keeps its programs in bin and the library in lib.
    const std::string fromBin = QM_TOOLS_LIBDIR_FROM_BINDIR;
    if (fromBin.empty())
        return std::string();
    const std::string folder = ProgramFolder();
    if (folder.empty())
        return std::string();
    return folder + "/" + fromBin + "/libqm_tools.so";
}

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
    if (path.empty()) {
        const std::string beside = ToolsLibraryCandidateBesideProgram();
        const std::string installed = ToolsLibraryCandidateInstalled();
        if (fs::IsRegularFile(beside))
            path = beside;
        else if (!installed.empty() && fs::IsRegularFile(installed))
            path = installed;
        else
            path = "libqm_tools.so";
    }
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
