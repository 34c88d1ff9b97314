#include "launcher/wine_check.h"

#include "platform/file_system.h"

#include <cstdint>

namespace playdeck {

namespace {

uint32_t Little(const unsigned char* p, int bytes)
{
    uint32_t value = 0;
    for (int i = bytes - 1; i >= 0; --i)
        value = (value << 8) | p[i];
    return value;
}

// The installation folder a Wine launcher belongs to: bin/wine -> the folder
// above bin; Debian's /usr/lib/wine/wine64 -> /usr.
std::string InstallRootOf(const std::string& program)
{
    std::string folder = qm::fs::FolderOf(program);
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    std::string parent = qm::fs::FolderOf(folder);
    const std::string last = qm::fs::FileNameOf(folder);
    if (last == "wine") { // .../lib/wine/wine64
        folder = parent.substr(0, parent.size() - 1);
        parent = qm::fs::FolderOf(folder);
    }
    while (parent.size() > 1 && parent.back() == '/')
        parent.pop_back();
    return parent.empty() ? std::string("/") : parent;
}

} // namespace

PeMachine ReadPeMachine(const std::string& path)
{
    qm::fs::ReadFile file;
    if (!file.open(path))
        return PeMachine::Unknown;
    unsigned char dos[64];
    if (!file.readExact(dos, sizeof dos, 0) || dos[0] != 'M' || dos[1] != 'Z')
        return PeMachine::Unknown;
    const uint32_t peOffset = Little(dos + 0x3c, 4);
    unsigned char pe[6];
    if (peOffset > file.size() || !file.readExact(pe, sizeof pe, peOffset) || pe[0] != 'P' ||
        pe[1] != 'E' || pe[2] != 0 || pe[3] != 0)
        return PeMachine::Unknown;
    switch (Little(pe + 4, 2)) {
    case 0x014c:
        return PeMachine::I386;
    case 0x8664:
        return PeMachine::Amd64;
    default:
        return PeMachine::Other;
    }
}

bool WineRuns32Bit(const std::string& wineProgram)
{
    std::string real = qm::fs::RealPath(wineProgram);
    if (real.empty())
        real = wineProgram;
    const std::string root = InstallRootOf(real);
    const std::string base = root == "/" ? std::string() : root;
    for (const char* relative : {"/lib/i386-linux-gnu/wine", "/lib/wine/i386-windows",
                                 "/lib/wine/i386-unix", "/lib32/wine"})
        if (qm::fs::IsFolder(base + relative))
            return true;
    // Wine before 6 kept its 32-bit half in lib/wine beside lib64/wine.
    return qm::fs::IsFolder(base + "/lib64/wine") &&
           qm::fs::IsRegularFile(base + "/lib/wine/ntdll.dll.so");
}

} // namespace playdeck
