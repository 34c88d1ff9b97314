#include "common/window_library.h"

#include "platform/file_system.h"
#include "platform/shared_library.h"

#include <cstdio>
#include <memory>

namespace qm {

std::string FindSuiteLibrary(const std::string& fileName)
{
    const std::string folder = fs::FolderOf(fs::ProgramPath());
    const std::string beside = folder + fileName;
    if (fs::IsRegularFile(beside))
        return beside;
    // An installed suite keeps its programs in bin and its libraries in lib.
    const std::string fromBin = QM_TOOLS_LIBDIR_FROM_BINDIR;
    const std::string installed = folder + fromBin + "/" + fileName;
    return !fromBin.empty() && fs::IsRegularFile(installed) ? installed : std::string();
}

int RunWindowLibrary(const char* program, const std::string& libraryFile, const char* entry,
                     int argc, char** argv)
{
    std::string path = FindSuiteLibrary(libraryFile);
    if (path.empty())
        path = fs::FolderOf(fs::ProgramPath()) + libraryFile; // named in the message below
    // Kept to the process's end: the toolkit's own exit handlers run after main.
    static std::unique_ptr<SharedLibrary> library;
    library = SharedLibrary::Open(path);
    using Main = int (*)(int, char**);
    const auto main = library ? reinterpret_cast<Main>(library->Symbol(entry)) : nullptr;
    if (!main) {
        std::fprintf(stderr, "%s: cannot load its window from %s\n", program, path.c_str());
        return 1;
    }
    return main(argc, argv);
}

} // namespace qm
