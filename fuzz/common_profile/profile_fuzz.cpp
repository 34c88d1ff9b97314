#include "common/profile.h"

#include <cstddef>
#include <cstdint>
#include <string>

// The fuzz input is split at its first NUL byte into the file text and a
// "section\nkey" query, so both the parser and the lookups see odd input.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string in(reinterpret_cast<const char*>(data), size);
    const size_t nul = in.find('\0');
    const std::string text = in.substr(0, nul);
    std::string section = "Module", key = "Name";
    if (nul != std::string::npos) {
        const std::string q = in.substr(nul + 1);
        const size_t nl = q.find('\n');
        section = q.substr(0, nl);
        key = nl == std::string::npos ? std::string() : q.substr(nl + 1);
    }
    const qm::ProfileFile f = qm::ProfileFile::fromText(text);
    const std::string v = f.text(section, key, "");
    if (v.size() > qm::kProfileValueMax)
        __builtin_trap();
    (void)f.integer(section, key, 0);
    const auto l = f.list(section, "$", 4096);
    if (l.size() > 4096)
        __builtin_trap();
    (void)qm::ParseLeadingInt(text);
    return 0;
}
