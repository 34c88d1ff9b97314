// The directory reader on arbitrary bytes, which stand for the start of a file
// whose size the first 8 bytes give. Besides crashes and reads outside the
// bytes, it checks what an opened packfile promises: every entry lies inside
// the file, in order and 2048-aligned, with a name of at most 60 bytes.
#include "vpp/names.h"
#include "vpp/packfile.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 8)
        return 0;
    uint64_t fileSize = 0;
    std::memcpy(&fileSize, data, 8);
    const std::string_view bytes(reinterpret_cast<const char*>(data + 8), size - 8);
    // Mostly the file is what the bytes hold; sometimes it claims more.
    if ((fileSize & 1) == 0)
        fileSize = bytes.size();
    qm::vpp::Directory dir;
    std::string error;
    if (!qm::vpp::ParseDirectory(bytes, fileSize, &dir, &error)) {
        if (error.empty())
            std::abort();
        return 0;
    }
    int64_t next = qm::vpp::FirstDataOffset(int64_t(dir.entries.size()));
    for (const qm::vpp::Entry& e : dir.entries) {
        if (e.offset != next || e.offset % qm::vpp::kBlock != 0 || e.name.size() > 60 ||
            uint64_t(e.offset) + e.size > fileSize)
            std::abort();
        next += qm::vpp::AlignUp(e.size);
        // The extraction name never leaves the folder.
        const qm::vpp::ExtractionName n = qm::vpp::ExtractionNameFor(e.name);
        if (n.fileName.find('/') != std::string::npos || n.fileName == ".." ||
            n.fileName.starts_with(".."))
            std::abort();
    }
    return 0;
}
