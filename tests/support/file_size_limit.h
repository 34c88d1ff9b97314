#pragma once

// A full disk, for this process only: for the guard's lifetime a write that
// would make a file larger than the cap fails (EFBIG) instead of raising
// SIGXFSZ, as a write to a full disk fails.

#include <csignal>
#include <sys/resource.h>

namespace qm::test {

class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        if (::getrlimit(RLIMIT_FSIZE, &m_saved) != 0)
            return;
        m_previousHandler = std::signal(SIGXFSZ, SIG_IGN);
        struct rlimit limited = m_saved;
        limited.rlim_cur = bytes;
        m_active = ::setrlimit(RLIMIT_FSIZE, &limited) == 0;
    }
    ~FileSizeLimit()
    {
        if (m_active)
            ::setrlimit(RLIMIT_FSIZE, &m_saved);
        if (m_previousHandler != SIG_ERR)
            std::signal(SIGXFSZ, m_previousHandler);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

    bool active() const { return m_active; }

private:
    struct rlimit m_saved {};
    void (*m_previousHandler)(int) = SIG_ERR;
    bool m_active = false;
};

} // namespace qm::test
