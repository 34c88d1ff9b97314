#include "vpp/writer.h"

#include "common/display_text.h"
#include "platform/file_system.h"
#include "vpp/names.h"
#include "vpp/packfile.h"

#include <cstring>
#include <map>
#include <memory>

namespace qm::vpp {

namespace {

constexpr size_t kBufferSize = size_t(1) << 20;

// Collects small pieces into large writes.
class Output {
public:
    explicit Output(fs::AtomicSave& save) : m_save(save), m_buffer(new char[kBufferSize]) {}

    bool append(const void* data, size_t size)
    {
        const char* p = static_cast<const char*>(data);
        while (size > 0) {
            const size_t n = std::min(size, kBufferSize - m_used);
            std::memcpy(m_buffer.get() + m_used, p, n);
            m_used += n;
            p += n;
            size -= n;
            if (m_used == kBufferSize && !flush())
                return false;
        }
        return true;
    }
    bool zeros(size_t size)
    {
        while (size > 0) {
            const size_t n = std::min(size, kBufferSize - m_used);
            std::memset(m_buffer.get() + m_used, 0, n);
            m_used += n;
            size -= n;
            if (m_used == kBufferSize && !flush())
                return false;
        }
        return true;
    }
    // Free room for reading straight into the buffer.
    char* room(size_t* size)
    {
        if (m_used == kBufferSize && !flush())
            return nullptr;
        *size = kBufferSize - m_used;
        return m_buffer.get() + m_used;
    }
    bool commitRoom(size_t size)
    {
        m_used += size;
        return m_used < kBufferSize || flush();
    }
    bool flush()
    {
        const bool ok = m_save.write(m_buffer.get(), m_used);
        m_used = 0;
        return ok;
    }

private:
    fs::AtomicSave& m_save;
    std::unique_ptr<char[]> m_buffer;
    size_t m_used = 0;
};

} // namespace

Source Source::FromBytes(std::string data)
{
    Source s;
    s.kind = Kind::Bytes;
    s.bytes = std::move(data);
    return s;
}

Source Source::FromRange(std::string packfile, int64_t offset, uint64_t size)
{
    Source s;
    s.kind = Kind::Range;
    s.path = std::move(packfile);
    s.offset = offset;
    s.size = size;
    return s;
}

bool Source::FromFile(const std::string& path, Source* out, std::string* error)
{
    const fs::FileInfo info = fs::Stat(path);
    if (info.kind != fs::FileKind::Regular) {
        if (error)
            *error = DisplayUtf8(path) + " is no readable file.";
        return false;
    }
    out->kind = Kind::File;
    out->path = path;
    out->offset = 0;
    out->size = info.size;
    out->bytes.clear();
    return true;
}

std::string CheckEntries(const std::vector<NewEntry>& entries)
{
    std::map<std::string, size_t> seen;
    int64_t end = FirstDataOffset(int64_t(entries.size()));
    for (size_t i = 0; i < entries.size(); ++i) {
        const NewEntry& e = entries[i];
        const std::string which =
            "Entry " + std::to_string(i + 1) + " (\"" + DisplayUtf8(e.name) + "\"): ";
        const std::string fault = EntryNameFault(e.name);
        if (!fault.empty())
            return which + fault;
        const auto [it, fresh] = seen.emplace(FoldName(e.name), i);
        if (!fresh)
            return which + "the name is already used by entry " + std::to_string(it->second + 1) +
                   " (the game does not tell upper and lower case apart).";
        if (e.source.length() > uint64_t(kMaxFileSize))
            return which + "the data is larger than a packfile can hold (2 GiB less one byte).";
        end += AlignUp(int64_t(e.source.length()));
        if (end > kMaxFileSize)
            return which + "the packfile would grow past 2 GiB less one byte, more than the game "
                           "can read.";
    }
    return {};
}

WriteResult WritePackfile(const std::string& path, const std::vector<NewEntry>& entries,
                          const ProgressFn& progress)
{
    WriteResult result;
    result.error = CheckEntries(entries);
    if (!result.error.empty())
        return result;
    const std::string nameWarning = PackfileNameWarning(path);
    if (!nameWarning.empty())
        result.warnings.push_back(nameWarning);

    const int64_t count = int64_t(entries.size());
    int64_t total = FirstDataOffset(count);
    uint64_t dataTotal = 0;
    for (const NewEntry& e : entries) {
        total += AlignUp(int64_t(e.source.length()));
        dataTotal += e.source.length();
    }

    fs::AtomicSave save(path);
    if (!save.isOpen()) {
        result.error = "Cannot write " + DisplayUtf8(path) + ": " + save.error();
        return result;
    }
    Output out(save);
    auto writeFailed = [&] {
        result.error = "Cannot write " + DisplayUtf8(path) + ": " + save.error();
        return result;
    };

    std::string head(size_t(FirstDataOffset(count)), '\0');
    auto* h = reinterpret_cast<unsigned char*>(head.data());
    StoreU32(h, kSignature);
    StoreU32(h + 4, kVersion);
    StoreU32(h + 8, uint32_t(count));
    StoreU32(h + 12, uint32_t(total));
    for (int64_t i = 0; i < count; ++i) {
        unsigned char* record = h + kBlock + i * kRecordSize;
        const NewEntry& e = entries[size_t(i)];
        std::memcpy(record, e.name.data(), e.name.size());
        StoreU32(record + kNameField, uint32_t(e.source.length()));
    }
    if (!out.append(head.data(), head.size()))
        return writeFailed();

    // Sources are opened once each, however many entries they feed.
    std::map<std::string, fs::ReadFile> open;
    uint64_t done = 0;
    for (const NewEntry& e : entries) {
        const Source& s = e.source;
        const uint64_t length = s.length();
        if (s.kind == Source::Kind::Bytes) {
            if (!out.append(s.bytes.data(), s.bytes.size()))
                return writeFailed();
            done += length;
        } else {
            auto it = open.find(s.path);
            if (it == open.end()) {
                fs::ReadFile file;
                if (!file.open(s.path)) {
                    result.error = "Cannot read " + DisplayUtf8(s.path) + ": " + file.error();
                    return result;
                }
                if (s.kind == Source::Kind::File)
                    open.clear(); // files are read once; keep no handle per file
                it = open.emplace(s.path, std::move(file)).first;
            }
            fs::ReadFile& file = it->second;
            const uint64_t available =
                file.size() > uint64_t(s.offset) ? file.size() - s.offset : 0;
            if ((s.kind == Source::Kind::File && file.size() != s.size) || available < length) {
                result.error = DisplayUtf8(s.path) + " changed since it was added (\"" +
                               DisplayUtf8(e.name) + "\" no longer has " + std::to_string(length) +
                               " bytes).";
                return result;
            }
            uint64_t left = length;
            int64_t at = s.offset;
            while (left > 0) {
                size_t room = 0;
                char* into = out.room(&room);
                if (!into)
                    return writeFailed();
                const size_t want = size_t(std::min<uint64_t>(left, room));
                if (!file.readExact(into, want, at)) {
                    result.error = "Cannot read " + DisplayUtf8(s.path) + ".";
                    return result;
                }
                if (!out.commitRoom(want))
                    return writeFailed();
                left -= want;
                at += int64_t(want);
                done += want;
                if (progress && room == want && !progress(done, dataTotal)) {
                    result.cancelled = true;
                    return result;
                }
            }
        }
        if (!out.zeros(size_t(AlignUp(int64_t(length)) - int64_t(length))))
            return writeFailed();
        if (progress && !progress(done, dataTotal)) {
            result.cancelled = true;
            return result;
        }
    }
    if (!out.flush() || !save.commit())
        return writeFailed();
    result.ok = true;
    return result;
}

} // namespace qm::vpp
