#include "platform/shared_library.h"

#include "platform/win32/wide.h"

#include <windows.h>

namespace qm {

std::unique_ptr<SharedLibrary> SharedLibrary::Open(const std::string& path)
{
    HMODULE handle = ::LoadLibraryW(win32::Wide(path).c_str());
    if (!handle)
        return nullptr;
    return std::unique_ptr<SharedLibrary>(new SharedLibrary(handle));
}

SharedLibrary::~SharedLibrary()
{
    ::FreeLibrary(static_cast<HMODULE>(m_handle));
}

void* SharedLibrary::Symbol(const char* name) const
{
    return reinterpret_cast<void*>(::GetProcAddress(static_cast<HMODULE>(m_handle), name));
}

} // namespace qm
