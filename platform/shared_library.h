#pragma once

// Loading a shared library by the bytes of its path (no QString on the way to
// the loader, so a program folder in Windows-1252 still finds its library).

#include <memory>
#include <string>

namespace qm {

class SharedLibrary {
public:
    // nullptr when the file does not load; a name without a separator goes
    // through the system's library search.
    static std::unique_ptr<SharedLibrary> Open(const std::string& path);
    ~SharedLibrary();
    SharedLibrary(const SharedLibrary&) = delete;
    SharedLibrary& operator=(const SharedLibrary&) = delete;

    // The exported function of this name, or nullptr.
    void* Symbol(const char* name) const;

private:
    explicit SharedLibrary(void* handle) : m_handle(handle) {}
    void* m_handle;
};

} // namespace qm
