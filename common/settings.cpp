#include "common/settings.h"

#include <cstdlib>
#include <cstring>

namespace qm {

std::string ReadRegString(RegRoot root, const std::string& subKey, const std::string& valueName,
                          const std::string& def)
{
    RegistryStore store(RegistryStore::Mode::ReadOnly);
    auto v = store.value(root, subKey, valueName);
    if (!v)
        return def;
    if (v->data.empty())
        return std::string();
    if (v->data.size() > kRegReadBuffer)
        return def;
    // Up to the terminating zero, like a C string read from the buffer.
    const size_t n = std::strlen(std::string(v->data).c_str());
    return v->data.substr(0, n);
}

std::string ReadRegString(RegRoot root, const std::string& subKey, const std::string& valueName)
{
    return ReadRegString(root, subKey, valueName, std::string());
}

uint32_t ReadRegDword(RegRoot root, const std::string& subKey, const std::string& valueName,
                      uint32_t def)
{
    RegistryStore store(RegistryStore::Mode::ReadOnly);
    auto v = store.value(root, subKey, valueName);
    if (!v || v->data.size() > 4)
        return def;
    // A shorter value fills the low bytes of the zeroed 4-byte buffer.
    unsigned char b[4] = {0, 0, 0, 0};
    std::memcpy(b, v->data.data(), v->data.size());
    return uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
}

bool WriteRegString(RegRoot root, const std::string& subKey, const std::string& valueName,
                    const std::string& text)
{
    // The copy into the 8192-byte buffer keeps text up to its first zero and at
    // most kRegWriteMax characters; the value carries its terminating zero.
    std::string data = text.substr(0, std::min(std::strlen(text.c_str()), kRegWriteMax));
    data.push_back('\0');
    RegistryStore store(RegistryStore::Mode::ReadWrite);
    return store.setValue(root, subKey, valueName, regtype::REG_SZ, data);
}

bool WriteRegDword(RegRoot root, const std::string& subKey, const std::string& valueName,
                   uint32_t number)
{
    const char b[4] = {char(number & 0xff), char(number >> 8 & 0xff), char(number >> 16 & 0xff),
                       char(number >> 24 & 0xff)};
    RegistryStore store(RegistryStore::Mode::ReadWrite);
    return store.setValue(root, subKey, valueName, regtype::REG_DWORD, std::string_view(b, 4));
}

std::string GetTempFolder()
{
    std::string t;
#ifdef _WIN32
    // Windows always sets TEMP; without it there is no temporary folder.
    if (const char* v = std::getenv("TEMP"); v && *v)
        t = v;
    else
        return t;
#else
    for (const char* name : {"TEMP", "TMPDIR"}) {
        if (const char* v = std::getenv(name); v && *v) {
            t = v;
            break;
        }
    }
    if (t.empty())
        t = "/tmp";
#endif
    if (t.back() != kPathSep)
        t += kPathSep;
    return t;
}

} // namespace qm
