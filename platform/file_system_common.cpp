#include "platform/file_system.h"

// The parts of the facade that only use its own pieces, the same on every system.

namespace qm::fs {

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

} // namespace qm::fs
