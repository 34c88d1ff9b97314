#include "setup/file_ops.h"

#include "platform/target_folder.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace qmsetup {

bool MakeDirectoryPath(const std::string& path)
{
    std::string p = path;
    if (p.empty() || p.back() != '/')
        p += '/';
    // Every prefix up to a separator, left to right; failures on prefixes that
    // exist already are expected.
    for (size_t k = p.find('/'); k != std::string::npos; k = p.find('/', k + 1)) {
        if (k == 0)
            continue;
        ::mkdir(p.substr(0, k).c_str(), 0755);
    }
    struct stat st {};
    return ::stat(path.empty() ? "." : path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool SourceFileSize(const std::string& path, int64_t* size)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat st {};
    const bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    ::close(fd);
    if (ok && size)
        *size = static_cast<int64_t>(st.st_size);
    return ok;
}

namespace {

bool fail(std::string* error, const std::string& what)
{
    if (error)
        *error = what + ": " + std::strerror(errno);
    return false;
}

} // namespace

bool CopyFileAtomic(const std::string& source, const std::string& destination, std::string* error)
{
    const int in = ::open(source.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0)
        return fail(error, "open " + source);
    struct stat st {};
    if (::fstat(in, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(in);
        errno = EISDIR;
        return fail(error, "not a file: " + source);
    }
    const size_t slash = destination.find_last_of('/');
    const std::string base =
        slash == std::string::npos ? destination : destination.substr(slash + 1);
    const std::string folder =
        slash == std::string::npos ? std::string(".") : destination.substr(0, slash + 1);
    std::string tmpl = folder + "." + base + ".qmtmp.XXXXXX";
    std::vector<char> name(tmpl.begin(), tmpl.end());
    name.push_back('\0');
    const int out = ::mkostemp(name.data(), O_CLOEXEC);
    if (out < 0) {
        const int e = errno;
        ::close(in);
        errno = e;
        return fail(error, "create in " + folder);
    }
    const std::string tmp = name.data();

    bool ok = true;
    std::string what;
    ::posix_fadvise(in, 0, 0, POSIX_FADV_SEQUENTIAL);
    // In-kernel copy first; plain reads and writes where it is not offered.
    bool useRead = false;
    for (;;) {
        if (!useRead) {
            const ssize_t n = ::copy_file_range(in, nullptr, out, nullptr, 1 << 30, 0);
            if (n > 0)
                continue;
            if (n == 0)
                break;
            if (errno == EINTR)
                continue;
            if (errno == EXDEV || errno == ENOSYS || errno == EOPNOTSUPP || errno == EINVAL) {
                useRead = true;
                continue;
            }
            ok = false;
            what = "write " + tmp;
            break;
        }
        static thread_local std::vector<char> buf(1 << 20);
        const ssize_t n = ::read(in, buf.data(), buf.size());
        if (n == 0)
            break;
        if (n < 0) {
            if (errno == EINTR)
                continue;
            ok = false;
            what = "read " + source;
            break;
        }
        for (ssize_t done = 0; done < n;) {
            const ssize_t w = ::write(out, buf.data() + done, static_cast<size_t>(n - done));
            if (w < 0 && errno == EINTR)
                continue;
            if (w <= 0) {
                ok = false;
                what = "write " + tmp;
                break;
            }
            done += w;
        }
        if (!ok)
            break;
    }
    const int savedErrno = errno;
    if (ok && ::fchmod(out, st.st_mode & 07777) != 0) {
        ok = false;
        what = "permissions of " + tmp;
    }
    if (::close(out) != 0 && ok) {
        ok = false;
        what = "close " + tmp;
    }
    ::close(in);
    if (ok && ::rename(tmp.c_str(), destination.c_str()) != 0) {
        ok = false;
        what = "rename to " + destination;
    }
    if (!ok) {
        const int e = errno ? errno : savedErrno;
        ::unlink(tmp.c_str());
        errno = e;
        return fail(error, what);
    }
    return true;
}

bool IsValidTargetFolder(const std::string& path)
{
    return qm::IsValidTargetFolder(path);
}

bool IsContainedRelativePath(const std::string& entry)
{
    if (!entry.empty() && entry.front() == '/')
        return false;
    size_t start = 0;
    while (start <= entry.size()) {
        size_t end = entry.find('/', start);
        if (end == std::string::npos)
            end = entry.size();
        if (entry.compare(start, end - start, "..") == 0 && end - start == 2)
            return false;
        start = end + 1;
    }
    return true;
}

} // namespace qmsetup
