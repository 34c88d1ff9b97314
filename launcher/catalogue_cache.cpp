#include "launcher/catalogue_cache.h"

#include "platform/special_folders.h"

#include <algorithm>
#include <cstring>

namespace playdeck {

namespace {

constexpr char kMagic[4] = {'Q', 'M', 'C', 'C'};
// The layout of the cache file itself.
constexpr uint32_t kFormat = 1;
constexpr uint64_t kMaxCacheBytes = 256ull << 20;
// Modification times this close to the cache's own write are not trusted: a
// change within the file system's time granularity would keep the time.
constexpr int64_t kRacyNs = 2'000'000'000;

void PutU32(std::string& out, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<char>(v >> (8 * i)));
}

void PutU64(std::string& out, uint64_t v)
{
    for (int i = 0; i < 8; ++i)
        out.push_back(static_cast<char>(v >> (8 * i)));
}

void PutBytes(std::string& out, const std::string& bytes)
{
    PutU32(out, static_cast<uint32_t>(bytes.size()));
    out += bytes;
}

// Reads the cache file's fields; any read past the end fails the whole.
class Reader {
public:
    explicit Reader(const std::string& data) : m_data(data) {}
    bool u32(uint32_t& v) { return number(v, 4); }
    bool u64(uint64_t& v) { return number(v, 8); }
    bool bytes(std::string& s)
    {
        uint32_t n = 0;
        if (!u32(n) || n > m_data.size() - m_at)
            return false;
        s.assign(m_data, m_at, n);
        m_at += n;
        return true;
    }
    bool atEnd() const { return m_at == m_data.size(); }

private:
    template <typename T> bool number(T& v, size_t width)
    {
        if (width > m_data.size() - m_at)
            return false;
        v = 0;
        for (size_t i = 0; i < width; ++i)
            v |= T(static_cast<unsigned char>(m_data[m_at + i])) << (8 * i);
        m_at += width;
        return true;
    }
    const std::string& m_data;
    size_t m_at = 0;
};

uint64_t Fnv1a(const std::string& bytes)
{
    uint64_t h = 0xcbf29ce484222325ull;
    for (unsigned char c : bytes) {
        h ^= c;
        h *= 0x100000001b3ull;
    }
    return h;
}

} // namespace

CatalogueCache::CatalogueCache(std::string cacheFolder, std::string scannedFolder)
    : m_cacheFolder(std::move(cacheFolder)), m_folder(std::move(scannedFolder))
{
    load();
}

std::string CatalogueCache::DefaultFolder()
{
    return qm::XdgCacheHome() + "/quorvel-manager";
}

std::string CatalogueCache::FileFor(const std::string& cacheFolder,
                                    const std::string& scannedFolder)
{
    static const char kHex[] = "0123456789abcdef";
    std::string name = "catalogue-";
    const uint64_t h = Fnv1a(scannedFolder);
    for (int i = 15; i >= 0; --i)
        name.push_back(kHex[(h >> (4 * i)) & 15]);
    return cacheFolder + "/" + name + ".bin";
}

void CatalogueCache::load()
{
    if (m_cacheFolder.empty())
        return;
    qm::fs::ReadFile file(FileFor(m_cacheFolder, m_folder));
    if (!file.isOpen() || file.size() > kMaxCacheBytes)
        return;
    std::string data(static_cast<size_t>(file.size()), '\0');
    if (!file.readExact(data.data(), data.size(), 0))
        return;
    m_writtenNs = file.info().modifiedNs;

    Reader in(data);
    std::string folder;
    uint32_t magic = 0, format = 0, rules = 0, count = 0;
    if (!in.u32(magic) || data.compare(0, 4, kMagic, 4) != 0)
        return;
    if (!in.u32(format) || format != kFormat || !in.u32(rules) || rules != kLevelRulesVersion)
        return;
    // Another folder whose name hashes alike: not ours.
    if (!in.bytes(folder) || folder != m_folder || !in.u32(count))
        return;
    std::unordered_map<std::string, Entry> entries;
    entries.reserve(std::min<size_t>(count, data.size() / 8));
    for (uint32_t i = 0; i < count; ++i) {
        std::string name;
        Entry e;
        uint64_t mtime = 0, isLevel = 0;
        if (!in.bytes(name) || !in.u64(e.file.device) || !in.u64(e.file.inode) ||
            !in.u64(e.file.size) || !in.u64(mtime) || !in.u64(isLevel) || isLevel > 1)
            return;
        e.file.modifiedNs = static_cast<int64_t>(mtime);
        e.file.kind = qm::fs::FileKind::Regular;
        if (isLevel) {
            LevelInfo info;
            if (!in.bytes(info.levelName) || !in.bytes(info.author) || !in.bytes(info.date))
                return;
            e.level = std::move(info);
        }
        entries.emplace(std::move(name), std::move(e));
    }
    if (!in.atEnd())
        return;
    m_entries = std::move(entries);
}

bool CatalogueCache::trusted(const Entry& e, const qm::fs::FileInfo& now) const
{
    return now.kind == qm::fs::FileKind::Regular && e.file.device == now.device &&
           e.file.inode == now.inode && e.file.size == now.size &&
           e.file.modifiedNs == now.modifiedNs && now.modifiedNs < m_writtenNs - kRacyNs;
}

std::optional<LevelInfo> CatalogueCache::levelInfo(const std::string& relativeName)
{
    const std::string path = m_folder + relativeName;
    auto it = m_entries.find(relativeName);
    if (it != m_entries.end() && !it->second.used && trusted(it->second, qm::fs::Stat(path))) {
        it->second.used = true;
        m_order.push_back(relativeName);
        ++m_hits;
        return it->second.level;
    }
    ++m_reads;
    Entry e;
    e.level = ReadLevelInfo(path, &e.file);
    m_changed = true;
    if (m_cacheFolder.empty() || e.file.kind != qm::fs::FileKind::Regular)
        return e.level;
    e.used = true;
    auto result = e.level;
    if (it == m_entries.end()) {
        m_order.push_back(relativeName);
        m_entries.emplace(relativeName, std::move(e));
    } else {
        if (!it->second.used)
            m_order.push_back(relativeName);
        it->second = std::move(e);
    }
    return result;
}

bool CatalogueCache::save()
{
    if (m_cacheFolder.empty())
        return true;
    // Entries of files this run did not see (removed since) count as a change.
    size_t used = 0;
    for (const auto& [name, e] : m_entries)
        used += e.used ? 1 : 0;
    if (!m_changed && used == m_entries.size())
        return true;
    // The folder first: where it cannot be made, nothing is worth encoding.
    if (!qm::fs::MakeFolders(m_cacheFolder, 0700))
        return false;

    std::string out(kMagic, sizeof kMagic);
    PutU32(out, kFormat);
    PutU32(out, kLevelRulesVersion);
    PutBytes(out, m_folder);
    PutU32(out, static_cast<uint32_t>(m_order.size()));
    for (const std::string& name : m_order) {
        const Entry& e = m_entries.at(name);
        PutBytes(out, name);
        PutU64(out, e.file.device);
        PutU64(out, e.file.inode);
        PutU64(out, e.file.size);
        PutU64(out, static_cast<uint64_t>(e.file.modifiedNs));
        PutU64(out, e.level ? 1 : 0);
        if (e.level) {
            PutBytes(out, e.level->levelName);
            PutBytes(out, e.level->author);
            PutBytes(out, e.level->date);
        }
    }
    if (!qm::fs::SaveFileAtomic(FileFor(m_cacheFolder, m_folder), out, {.mode = 0600}))
        return false;
    m_changed = false;
    return true;
}

} // namespace playdeck
