// Writer round trip: arbitrary bytes become a list of entries (a name length,
// a name, a data length, data); whatever the writer accepts must read back as
// the same entries, and whatever it refuses must leave the old file alone.
#include "platform/file_system.h"
#include "vpp/packfile.h"
#include "vpp/writer.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

std::string FuzzFile()
{
    const std::string dir = qm::fs::MakePrivateFolder(
        qm::fs::IsFolder("/dev/shm") ? "/dev/shm" : "/tmp", "qm_fuzz_vpp_");
    return dir + "/out.vpp";
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const std::string path = FuzzFile();
    std::vector<qm::vpp::NewEntry> entries;
    size_t at = 0;
    while (at + 2 <= size && entries.size() < 64) {
        const size_t nameLength = std::min<size_t>(data[at], size - at - 1);
        const size_t dataLength = data[at + 1] * 37u; // reach past one 2048 block
        at += 2;
        const size_t n = std::min(nameLength, size - at);
        std::string name(reinterpret_cast<const char*>(data + at), n);
        at += n;
        std::string bytes(dataLength, '\0');
        for (size_t i = 0; i < dataLength; ++i)
            bytes[i] = char(i * 131 + n);
        entries.push_back({name, qm::vpp::Source::FromBytes(std::move(bytes))});
    }
    qm::fs::SaveFileAtomic(path, "old");
    const qm::vpp::WriteResult r = qm::vpp::WritePackfile(path, entries);
    if (!r.ok) {
        if (r.error.empty() || *qm::fs::ReadWholeFile(path, 16) != "old")
            std::abort();
        return 0;
    }
    qm::vpp::Directory dir;
    std::string error;
    if (!qm::vpp::ReadDirectory(path, &dir, &error) || dir.entries.size() != entries.size() ||
        !dir.warnings.empty() || dir.totalSizeField != dir.fileSize)
        std::abort();
    qm::fs::ReadFile file(path);
    for (size_t i = 0; i < entries.size(); ++i) {
        const std::string& want = entries[i].source.bytes;
        std::string got(dir.entries[i].size, '\0');
        if (dir.entries[i].name != entries[i].name || got.size() != want.size() ||
            !file.readExact(got.data(), got.size(), dir.entries[i].offset) || got != want)
            std::abort();
    }
    return 0;
}
