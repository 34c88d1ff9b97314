#pragma once

#include "launcher/packfile.h"
#include "platform/file_system.h"

#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace playdeck {

// What the scans read from packfiles, kept between runs so that a packfile
// that has not changed is not opened again. One cache file per scanned
// folder, below $XDG_CACHE_HOME/quorvel-manager. An answer is used only for
// the very file it was read from: same device, inode, size and modification
// time, and that time far enough before the cache was written that a later
// change within the clock's granularity cannot hide. A cache file that is
// unreadable, damaged, of another version or of another folder is ignored.
class CatalogueCache {
public:
    // The cache of scannedFolder (ends in a separator) kept in cacheFolder;
    // an empty cacheFolder keeps nothing. The cache file is read here.
    CatalogueCache(std::string cacheFolder, std::string scannedFolder);

    // $XDG_CACHE_HOME/quorvel-manager.
    static std::string DefaultFolder();
    // The cache file of scannedFolder in cacheFolder.
    static std::string FileFor(const std::string& cacheFolder, const std::string& scannedFolder);

    // The level information of scannedFolder + relativeName: from the cache
    // when the file is unchanged, else read from the packfile (and kept).
    std::optional<LevelInfo> levelInfo(const std::string& relativeName);

    // Writes the cache file when anything was read anew or is gone; what
    // this run did not ask for is dropped. True when nothing needed writing
    // or the write succeeded.
    bool save();

    // How many answers came from the cache, and how many packfiles were read.
    int hits() const { return m_hits; }
    int reads() const { return m_reads; }

private:
    struct Entry {
        qm::fs::FileInfo file;
        std::optional<LevelInfo> level; // nothing: no level
        bool used = false;
    };
    void load();
    bool trusted(const Entry& entry, const qm::fs::FileInfo& now) const;

    std::string m_cacheFolder;
    std::string m_folder;
    std::unordered_map<std::string, Entry> m_entries;
    std::vector<std::string> m_order; // names in the order this run asked for them
    int64_t m_writtenNs = 0;          // the cache file's own modification time
    bool m_changed = false;
    int m_hits = 0;
    int m_reads = 0;
};

} // namespace playdeck
