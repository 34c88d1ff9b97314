// The catalogue cache's reader on arbitrary bytes as its cache file: no
// crash, and an answer it does not take from the cache is the packfile's own.
#include "launcher/catalogue_cache.h"
#include "platform/file_system.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

struct Place {
    std::string folder; // holds level.vpp, a small level packfile
    std::string cache;
};

const Place& FuzzPlace()
{
    static const Place place = [] {
        const char* shm = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
        const std::string root = std::string(shm) + "/qm_cache_fuzz_" + std::to_string(getpid());
        Place p{root + "/levels/", root + "/cache"};
        qm::fs::MakeFolders(p.folder);
        std::string vpp(4096 + 64, '\0');
        const unsigned char header[12] = {0xCE, 0x0A, 0x89, 0x51, 1, 0, 0, 0, 1, 0, 0, 0};
        vpp.replace(0, 12, reinterpret_cast<const char*>(header), 12);
        vpp.replace(2048, 9, "level.rfl");
        vpp[2048 + 60] = 64; // size of the level file
        vpp[4096 + 16] = 32; // information offset; the strings follow at 44
        vpp.replace(4096 + 44, 3, "\x01\x00X", 3);
        qm::fs::SaveFileAtomic(p.folder + "level.vpp", vpp);
        return p;
    }();
    return place;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const Place& place = FuzzPlace();
    qm::fs::MakeFolders(place.cache);
    qm::fs::SaveFileAtomic(playdeck::CatalogueCache::FileFor(place.cache, place.folder),
                           std::string(reinterpret_cast<const char*>(data), size));
    playdeck::CatalogueCache cache(place.cache, place.folder);
    const auto info = cache.levelInfo("level.vpp");
    if (cache.hits() == 0 && (!info || info->levelName != "X"))
        std::abort();
    return 0;
}
