#include "platform/file_system.h"
#include "platform/file_system_native.h"

// The parts of the facade that are the same on every system; what differs
// comes from each system's half through file_system_native.h.

namespace qm::fs {

bool IsRegularFile(const std::string& path)
{
    return Stat(path).kind == FileKind::Regular;
}

bool IsFolder(const std::string& path)
{
    return Stat(path).kind == FileKind::Folder;
}

std::string FolderOf(const std::string& path)
{
    const size_t sep = path.find_last_of(native::kSeparators);
    return sep == std::string::npos ? std::string() : path.substr(0, sep + 1);
}

std::string FileNameOf(const std::string& path)
{
    const size_t sep = path.find_last_of(native::kSeparators);
    return sep == std::string::npos ? path : path.substr(sep + 1);
}

ReadFile::~ReadFile()
{
    close();
}

ReadFile::ReadFile(ReadFile&& other) noexcept
    : m_fd(other.m_fd), m_info(other.m_info), m_error(std::move(other.m_error))
{
    other.m_fd = -1;
}

ReadFile& ReadFile::operator=(ReadFile&& other) noexcept
{
    if (this != &other) {
        close();
        m_fd = other.m_fd;
        m_info = other.m_info;
        m_error = std::move(other.m_error);
        other.m_fd = -1;
    }
    return *this;
}

std::optional<std::string> ReadWholeFile(const std::string& path, uint64_t maxBytes,
                                         std::string* error)
{
    ReadFile file(path);
    if (!file.isOpen()) {
        if (error)
            *error = file.error();
        return std::nullopt;
    }
    if (file.size() > maxBytes) {
        if (error)
            *error = path + ": larger than " + std::to_string(maxBytes) + " bytes";
        return std::nullopt;
    }
    std::string text;
    text.resize(static_cast<size_t>(file.size()));
    size_t got = file.readAt(text.data(), text.size(), 0);
    text.resize(got);
    // The file may have grown since it was looked at; take what is there, up
    // to the cap.
    char more[4096];
    for (;;) {
        const size_t n = file.readAt(more, sizeof more, static_cast<int64_t>(text.size()));
        if (n == 0)
            break;
        if (text.size() + n > maxBytes) {
            if (error)
                *error = path + ": larger than " + std::to_string(maxBytes) + " bytes";
            return std::nullopt;
        }
        text.append(more, n);
    }
    return text;
}

AtomicSave::~AtomicSave()
{
    cancel();
}

bool AtomicSave::fail(const std::string& what)
{
    if (!m_failed)
        m_error = native::ErrorText(what);
    m_failed = true;
    return false;
}

bool AtomicSave::write(const void* data, size_t size)
{
    if (m_failed || m_fd < 0)
        return false;
    if (!native::WriteAll(m_fd, static_cast<const char*>(data), size))
        return fail("write " + m_path);
    return true;
}

bool SaveFileAtomic(const std::string& path, std::string_view data, const SaveOptions& options,
                    std::string* error)
{
    AtomicSave save(path, options);
    save.write(data);
    if (save.commit())
        return true;
    if (error)
        *error = save.error();
    return false;
}

bool CopyFileAtomic(const std::string& source, const std::string& destination,
                    const CopyOptions& options, std::string* error)
{
    ReadFile in(source);
    if (!in.isOpen()) {
        if (error)
            *error = in.error();
        return false;
    }
    const uint32_t mode = options.mode == CopyMode::Installed ? InstalledFileMode(in.info().mode)
                                                              : (in.info().mode & 0777);
    // Installed modes have the umask applied already.
    AtomicSave out(destination, SaveOptions{mode, false, options.sync});
    if (!out.isOpen()) {
        if (error)
            *error = out.error();
        return false;
    }
    if (!native::CopyContents(in, out, error)) {
        out.cancel();
        return false;
    }
    if (!out.commit()) {
        if (error)
            *error = out.error();
        return false;
    }
    return true;
}

} // namespace qm::fs
