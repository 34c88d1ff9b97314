// The packfile readers on arbitrary bytes: the input becomes "level.vpp" (so
// the level file looked for is "level.rfl"). Besides crashes it checks that a
// level read from the file only ever yields bytes that are in the file.
#include "launcher/packfile.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A folder of its own per process, so the file name (and with it the level
// file looked for) is the same in every run and a saved input reproduces.
std::string FuzzFile()
{
    const char* shm = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    const std::string dir = std::string(shm) + "/qm_fuzz_" + std::to_string(getpid());
    mkdir(dir.c_str(), 0700);
    return dir + "/level.vpp";
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const std::string path = FuzzFile();
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return 0;
    std::fwrite(data, 1, size, f);
    std::fclose(f);

    const int32_t base = playdeck::FindRflInVpp(path);
    std::string name = "\x01", author = "\x01", date = "\x01";
    const bool level = playdeck::ReadLevelInfo(path, name, author, date);
    if (level != (base >= 0) && level)
        std::abort(); // a level without a level file
    if (level) {
        const std::string bytes(reinterpret_cast<const char*>(data), size);
        for (const std::string* s : {&name, &author, &date})
            if (!s->empty() && bytes.find(*s) == std::string::npos)
                std::abort(); // characters that are not in the file
    } else if (name != "\x01" || author != "\x01" || date != "\x01") {
        std::abort(); // outputs changed although no level was read
    }
    return 0;
}
