#include "platform/file_system.h"
#include "platform/file_system_native.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qm::fs {

namespace {

std::string describe(const std::string& what)
{
    return what + ": " + std::strerror(errno);
}

bool setError(std::string* error, const std::string& what)
{
    if (error)
        *error = describe(what);
    return false;
}

FileInfo infoOf(const struct stat& st)
{
    FileInfo info;
    info.kind = S_ISREG(st.st_mode)   ? FileKind::Regular
                : S_ISDIR(st.st_mode) ? FileKind::Folder
                                      : FileKind::Other;
    info.size = static_cast<uint64_t>(st.st_size);
    info.modifiedNs = static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    info.device = static_cast<uint64_t>(st.st_dev);
    info.inode = static_cast<uint64_t>(st.st_ino);
    info.mode = static_cast<uint32_t>(st.st_mode & 07777);
    return info;
}

mode_t currentUmask()
{
    // umask can only be read by setting it; put it straight back.
    const mode_t mask = ::umask(022);
    ::umask(mask);
    return mask;
}

} // namespace

FileInfo Stat(const std::string& path)
{
    struct stat st {};
    if (path.empty() || ::stat(path.c_str(), &st) != 0)
        return {};
    return infoOf(st);
}

bool Exists(const std::string& path)
{
    struct stat st {};
    return !path.empty() && ::lstat(path.c_str(), &st) == 0;
}

std::string RealPath(const std::string& path)
{
    if (path.empty())
        return {};
    char* real = ::realpath(path.c_str(), nullptr);
    if (!real)
        return {};
    std::string out(real);
    std::free(real);
    return out;
}

bool ReadFile::open(const std::string& path)
{
    close();
    m_error.clear();
    // O_NONBLOCK so a FIFO without a writer cannot hold us at open; the
    // regular-file check below then refuses it.
    const int fd = path.empty() ? -1 : ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        if (path.empty())
            errno = ENOENT;
        m_error = describe(path);
        return false;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        m_error = describe(path);
        ::close(fd);
        return false;
    }
    if (!S_ISREG(st.st_mode)) {
        m_error = path + ": " + (S_ISDIR(st.st_mode) ? "is a folder" : "is not a regular file");
        ::close(fd);
        return false;
    }
    // O_NONBLOCK stays: it changes nothing for a regular file's reads, and
    // clearing it would cost two system calls a file in a scan of thousands.
    m_fd = fd;
    m_info = infoOf(st);
    return true;
}

void ReadFile::close()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    m_info = {};
}

size_t ReadFile::readAt(void* buffer, size_t size, int64_t offset) const
{
    if (m_fd < 0 || offset < 0)
        return 0;
    size_t done = 0;
    while (done < size) {
        const ssize_t n = ::pread(m_fd, static_cast<char*>(buffer) + done, size - done,
                                  static_cast<off_t>(offset) + static_cast<off_t>(done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        done += static_cast<size_t>(n);
    }
    return done;
}

size_t ReadFile::read(void* buffer, size_t size)
{
    if (m_fd < 0)
        return 0;
    for (;;) {
        const ssize_t n = ::read(m_fd, buffer, size);
        if (n < 0 && errno == EINTR)
            continue;
        return n < 0 ? 0 : static_cast<size_t>(n);
    }
}

bool ListFolder(const std::string& folder, std::vector<FolderEntry>* entries, std::string* error)
{
    entries->clear();
    DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
    if (!dir)
        return setError(error, folder);
    std::string prefix = folder;
    if (!prefix.empty() && prefix.back() != '/')
        prefix += '/';
    while (const dirent* e = ::readdir(dir)) {
        if (std::strcmp(e->d_name, ".") == 0 || std::strcmp(e->d_name, "..") == 0)
            continue;
        FolderEntry entry;
        entry.name = e->d_name;
        switch (e->d_type) {
        case DT_REG:
            entry.kind = FileKind::Regular;
            break;
        case DT_DIR:
            entry.kind = FileKind::Folder;
            break;
        case DT_UNKNOWN:
        case DT_LNK:
            entry.kind = Stat(prefix + entry.name).kind;
            break;
        default:
            entry.kind = FileKind::Other;
        }
        entries->push_back(std::move(entry));
    }
    ::closedir(dir);
    return true;
}

bool MakeFolders(const std::string& path, uint32_t mode, std::string* error)
{
    if (path.empty()) {
        errno = ENOENT;
        return setError(error, "empty folder name");
    }
    std::string p = path;
    if (p.back() != '/')
        p += '/';
    // Every prefix up to a separator, left to right; prefixes that exist
    // already fail harmlessly.
    for (size_t k = p.find('/'); k != std::string::npos; k = p.find('/', k + 1)) {
        if (k == 0 || p[k - 1] == '/')
            continue;
        ::mkdir(p.substr(0, k).c_str(), static_cast<mode_t>(mode));
    }
    if (IsFolder(path))
        return true;
    if (errno == 0 || Exists(path))
        errno = ENOTDIR;
    return setError(error, path);
}

bool MakeFolder(const std::string& path, uint32_t mode, std::string* error)
{
    if (::mkdir(path.c_str(), static_cast<mode_t>(mode)) == 0)
        return true;
    return setError(error, path);
}

std::string MakePrivateFolder(const std::string& parent, const std::string& prefix,
                              std::string* error)
{
    std::string tmpl = parent;
    if (!tmpl.empty() && tmpl.back() != '/')
        tmpl += '/';
    tmpl += prefix + "XXXXXX";
    std::vector<char> name(tmpl.begin(), tmpl.end());
    name.push_back('\0');
    if (!::mkdtemp(name.data())) {
        setError(error, "create a folder in " + parent);
        return {};
    }
    return name.data();
}

bool RemoveFile(const std::string& path, std::string* error)
{
    if (::unlink(path.c_str()) == 0)
        return true;
    return setError(error, path);
}

bool RemoveEmptyFolder(const std::string& path)
{
    return ::rmdir(path.c_str()) == 0;
}

bool RemoveTree(const std::string& path)
{
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0)
        return errno == ENOENT;
    if (!S_ISDIR(st.st_mode))
        return ::unlink(path.c_str()) == 0;
    std::vector<FolderEntry> entries;
    bool ok = true;
    if (ListFolder(path, &entries))
        for (const FolderEntry& e : entries)
            ok = RemoveTree(path + "/" + e.name) && ok;
    return ::rmdir(path.c_str()) == 0 && ok;
}

bool LinkFile(const std::string& existing, const std::string& newPath, std::string* error)
{
    // linkat without AT_SYMLINK_FOLLOW: a symbolic link is linked, not its target.
    if (::linkat(AT_FDCWD, existing.c_str(), AT_FDCWD, newPath.c_str(), 0) == 0)
        return true;
    return setError(error, "link " + existing + " as " + newPath);
}

bool RenameReplace(const std::string& from, const std::string& to, std::string* error)
{
    if (::rename(from.c_str(), to.c_str()) == 0)
        return true;
    return setError(error, "rename " + from + " to " + to);
}

uint32_t InstalledFileMode(uint32_t sourceMode)
{
    return sourceMode & 0755 & ~static_cast<uint32_t>(currentUmask());
}

bool SyncPath(const std::string& path)
{
    const int fd = ::open(path.empty() ? "." : path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return false;
    const bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

std::string ProgramPath()
{
    std::string buffer(4096, '\0');
    const ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (n <= 0 || static_cast<size_t>(n) >= buffer.size())
        return {};
    buffer.resize(static_cast<size_t>(n));
    return buffer;
}

std::string CurrentFolder()
{
    std::string buffer(4096, '\0');
    if (!::getcwd(buffer.data(), buffer.size()))
        return {};
    buffer.resize(std::strlen(buffer.c_str()));
    return buffer;
}

AtomicSave::AtomicSave(std::string path, SaveOptions options)
    : m_path(std::move(path)), m_options(options)
{
    if (m_path.empty() || m_path.back() == '/') {
        errno = EISDIR;
        fail("no file name: " + m_path);
        return;
    }
    // Hidden, beside the target so the rename stays in one file system.
    std::string tmpl = FolderOf(m_path) + "." + FileNameOf(m_path) + ".qmtmp.XXXXXX";
    std::vector<char> name(tmpl.begin(), tmpl.end());
    name.push_back('\0');
    m_fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (m_fd < 0) {
        fail("create a file in " + (FolderOf(m_path).empty() ? "." : FolderOf(m_path)));
        return;
    }
    m_tmp = name.data();
}

bool AtomicSave::commit()
{
    if (m_failed || m_fd < 0) {
        cancel();
        return false;
    }
    mode_t mode = static_cast<mode_t>(m_options.mode & 07777);
    if (m_options.applyUmask)
        mode &= ~currentUmask();
    if (::fchmod(m_fd, mode) != 0)
        fail("permissions of " + m_path);
    if (!m_failed && m_options.sync && ::fsync(m_fd) != 0)
        fail("flush " + m_path);
    if (::close(m_fd) != 0)
        fail("write " + m_path);
    m_fd = -1;
    if (!m_failed && ::rename(m_tmp.c_str(), m_path.c_str()) != 0)
        fail("replace " + m_path);
    if (m_failed) {
        ::unlink(m_tmp.c_str());
        m_tmp.clear();
        return false;
    }
    m_tmp.clear();
    if (m_options.sync)
        SyncPath(FolderOf(m_path));
    return true;
}

void AtomicSave::cancel()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    if (!m_tmp.empty())
        ::unlink(m_tmp.c_str());
    m_tmp.clear();
}

namespace native {

const char kSeparators[] = "/";

std::string ErrorText(const std::string& what)
{
    return describe(what);
}

bool WriteAll(int fd, const char* data, size_t size)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = EIO;
            return false;
        }
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

bool CopyContents(ReadFile& in, AtomicSave& out, std::string* error)
{
    const int inFd = in.nativeHandle();
    ::posix_fadvise(inFd, 0, 0, POSIX_FADV_SEQUENTIAL);
    // In-kernel copy first; plain reads and writes where it is not offered.
    bool useRead = false;
    bool ok = true;
    std::string what;
    for (;;) {
        if (!useRead) {
            const ssize_t n =
                ::copy_file_range(inFd, nullptr, out.nativeHandle(), nullptr, 1 << 30, 0);
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
            what = describe("write " + out.path());
            break;
        }
        static thread_local std::vector<char> buf(1 << 20);
        const size_t n = in.read(buf.data(), buf.size());
        if (n == 0)
            break;
        if (!out.write(buf.data(), n)) {
            ok = false;
            what = out.error();
            break;
        }
    }
    if (!ok && error)
        *error = what;
    return ok;
}

} // namespace native

} // namespace qm::fs
