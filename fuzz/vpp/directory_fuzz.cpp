// The directory reader on arbitrary bytes, which stand for the start of a file
// whose size the first 8 bytes give. Besides crashes and reads outside the
// bytes, it checks what an opened packfile promises: every entry lies inside
// the file, in order and 2048-aligned, with a name of at most 60 bytes.
#include "vpp/names.h"
#include "vpp/packfile.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <vector>

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
    const bool ok = qm::vpp::ParseDirectory(bytes, fileSize, &dir, &error);
    // Read a few records at a time, the directory is the same: pieces end
    // anywhere, and duplicates are looked for behind the piece held.
    std::vector<qm::vpp::Entry> seen;
    std::vector<std::string> warnings;
    std::string smallError;
    const qm::vpp::ByteReader read = [bytes](void* to, size_t n, int64_t offset) -> size_t {
        if (uint64_t(offset) >= bytes.size())
            return 0;
        n = std::min(n, bytes.size() - size_t(offset));
        std::memcpy(to, bytes.data() + offset, n);
        return n;
    };
    const bool smallOk = qm::vpp::ScanDirectory(
        read, fileSize,
        [&seen](const qm::vpp::EntryView& e) {
            seen.push_back({std::string(e.name), e.size, e.offset});
        },
        &warnings, &smallError, 1 + int64_t(data[0] % 5));
    if (smallOk != ok || (ok && (seen != dir.entries || warnings != dir.warnings)))
        std::abort();
    if (!ok) {
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
