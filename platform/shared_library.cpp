#include "platform/shared_library.h"

#include <dlfcn.h>

namespace qm {

std::unique_ptr<SharedLibrary> SharedLibrary::Open(const std::string& path)
{
    // RTLD_LOCAL keeps its symbols out of the global scope so it can unload.
    void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle)
        return nullptr;
    return std::unique_ptr<SharedLibrary>(new SharedLibrary(handle));
}

SharedLibrary::~SharedLibrary()
{
    ::dlclose(m_handle);
}

void* SharedLibrary::Symbol(const char* name) const
{
    return ::dlsym(m_handle, name);
}

} // namespace qm
