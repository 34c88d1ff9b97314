#include "common/window_library.h"

#include "platform/file_system.h"
#include "platform/shared_library.h"

#include <cstdio>
#include <memory>

namespace qm {

int RunWindowLibrary(const char* program, const std::string& libraryFile, const char* entry,
                     int argc, char** argv)
{
    const std::string folder = fs::FolderOf(fs::ProgramPath());
    const std::string beside = folder + libraryFile;
    const std::string fromBin = QM_TOOLS_LIBDIR_FROM_BINDIR;
    const std::string installed = folder + fromBin + "/" + libraryFile;
    const std::string path =
        !fs::IsRegularFile(beside) && !fromBin.empty() && fs::IsRegularFile(installed) ? installed
                                                                                       : beside;
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
