#include "platform/file_system.h"
#include "platform/file_system_native.h"

#include "platform/win32/wide.h"

#include <atomic>
#include <fcntl.h>
#include <io.h>
#include <windows.h>

// The facade on the wide Win32 API. Handles are wrapped in C runtime
// descriptors only so the shared header's int handles stay as they are; every
// read and write goes through the handle, in binary.

namespace qm::fs {

namespace {

using win32::LastErrorText;
using win32::Wide;

bool setError(std::string* error, const std::string& what)
{
    if (error)
        *error = LastErrorText(what);
    return false;
}

bool isSep(char c)
{
    return c == '/' || c == '\\';
}

HANDLE handleOf(int fd)
{
    return fd < 0 ? INVALID_HANDLE_VALUE : reinterpret_cast<HANDLE>(_get_osfhandle(fd));
}

int64_t nsFromFileTime(const FILETIME& ft)
{
    // 100 ns ticks since 1601 to ns since 1970.
    const int64_t ticks =
        static_cast<int64_t>(uint64_t(ft.dwHighDateTime) << 32 | ft.dwLowDateTime);
    return (ticks - 116444736000000000LL) * 100;
}

FileInfo infoOf(HANDLE h)
{
    FileInfo info;
    BY_HANDLE_FILE_INFORMATION bhfi{};
    if (!GetFileInformationByHandle(h, &bhfi)) {
        // Devices and pipes have no such record; they are simply "other".
        info.kind = FileKind::Other;
        return info;
    }
    const bool folder = bhfi.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY;
    info.kind = folder                             ? FileKind::Folder
                : GetFileType(h) == FILE_TYPE_DISK ? FileKind::Regular
                                                   : FileKind::Other;
    info.size = folder ? 0 : (uint64_t(bhfi.nFileSizeHigh) << 32 | bhfi.nFileSizeLow);
    info.modifiedNs = nsFromFileTime(bhfi.ftLastWriteTime);
    info.device = bhfi.dwVolumeSerialNumber;
    info.inode = uint64_t(bhfi.nFileIndexHigh) << 32 | bhfi.nFileIndexLow;
    // Windows keeps only "read-only"; the rest is what a Unix view of the
    // same disk shows.
    info.mode = folder ? 0755 : (bhfi.dwFileAttributes & FILE_ATTRIBUTE_READONLY) ? 0444 : 0644;
    return info;
}

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

} // namespace

namespace native {

const char kSeparators[] = "/\\";

std::string ErrorText(const std::string& what)
{
    return LastErrorText(what);
}

bool WriteAll(int fd, const char* data, size_t size)
{
    const HANDLE h = handleOf(fd);
    while (size > 0) {
        const DWORD chunk = size > (1u << 30) ? (1u << 30) : static_cast<DWORD>(size);
        DWORD written = 0;
        if (!::WriteFile(h, data, chunk, &written, nullptr) || written == 0)
            return false;
        data += written;
        size -= written;
    }
    return true;
}

bool CopyContents(ReadFile& in, AtomicSave& out, std::string* error)
{
    // A copy loop rather than CopyFileEx: the old destination must stay whole
    // until the new one is complete, which the rename gives.
    std::vector<char> buf(1 << 20);
    for (;;) {
        const size_t n = in.read(buf.data(), buf.size());
        if (n == 0)
            return true;
        if (!out.write(buf.data(), n)) {
            if (error)
                *error = out.error();
            return false;
        }
    }
}

} // namespace native

namespace {

// Read-only files are removed and replaced as on a Unix disk, where only the
// folder's rights count.
void clearReadOnly(const std::wstring& path)
{
    const DWORD attr = GetFileAttributesW(path.c_str());
    if (attr != INVALID_FILE_ATTRIBUTES && (attr & FILE_ATTRIBUTE_READONLY))
        SetFileAttributesW(path.c_str(), attr & ~FILE_ATTRIBUTE_READONLY);
}

bool moveReplace(const std::wstring& from, const std::wstring& to)
{
    if (MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING))
        return true;
    if (GetLastError() != ERROR_ACCESS_DENIED)
        return false;
    clearReadOnly(to);
    return MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
}

std::wstring fullPath(const std::wstring& path)
{
    const DWORD n = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (n == 0)
        return path;
    std::wstring full(n, L'\0');
    const DWORD got = GetFullPathNameW(path.c_str(), n, full.data(), nullptr);
    full.resize(got);
    return full;
}

// Renames an open file over to with POSIX semantics (Windows 10 1709 on):
// the name is replaced even while others still read the old file, as a
// rename does on Linux. False where the system does not offer it.
bool renameOpenFile(HANDLE h, const std::wstring& to)
{
    // The flags share the first byte of the structure with ReplaceIfExists.
    constexpr DWORD kReplaceIfExists = 0x1, kPosixSemantics = 0x2;
    const std::wstring target = fullPath(to);
    std::vector<char> buf(sizeof(FILE_RENAME_INFO) + target.size() * sizeof(wchar_t));
    auto* info = reinterpret_cast<FILE_RENAME_INFO*>(buf.data());
    info->ReplaceIfExists = static_cast<BOOLEAN>(kReplaceIfExists | kPosixSemantics);
    info->RootDirectory = nullptr;
    info->FileNameLength = static_cast<DWORD>(target.size() * sizeof(wchar_t));
    std::copy(target.begin(), target.end(), info->FileName);
    // FileRenameInfoEx; the headers name it only for Windows 10 targets.
    const auto renameInfoEx = static_cast<FILE_INFO_BY_HANDLE_CLASS>(22);
    return SetFileInformationByHandle(h, renameInfoEx, info, static_cast<DWORD>(buf.size()));
}

std::string uniqueSuffix()
{
    static std::atomic<uint32_t> counter{0};
    LARGE_INTEGER t{};
    QueryPerformanceCounter(&t);
    const uint64_t v = uint64_t(t.QuadPart) * 2654435761u ^
                       (uint64_t(GetCurrentProcessId()) << 32) ^ counter.fetch_add(1);
    static const char digits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
    std::string s;
    uint64_t x = v;
    for (int i = 0; i < 8; ++i, x /= 36)
        s += digits[x % 36];
    return s;
}

// A file or folder opened only to look at it; links are followed.
HANDLE openToLookAt(const std::string& path)
{
    if (path.empty())
        return INVALID_HANDLE_VALUE;
    // Backup semantics open folders too.
    return CreateFileW(Wide(path).c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr, OPEN_EXISTING,
                       FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

std::string withSep(const std::string& folder)
{
    if (folder.empty() || isSep(folder.back()))
        return folder;
    return folder + '\\';
}

} // namespace

FileInfo Stat(const std::string& path)
{
    HANDLE h = openToLookAt(path);
    if (h == INVALID_HANDLE_VALUE)
        return {};
    FileInfo info = infoOf(h);
    CloseHandle(h);
    return info;
}

bool Exists(const std::string& path)
{
    return !path.empty() && GetFileAttributesW(Wide(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string RealPath(const std::string& path)
{
    HANDLE h = openToLookAt(path);
    if (h == INVALID_HANDLE_VALUE)
        return {};
    std::wstring buf(MAX_PATH, L'\0');
    DWORD n = GetFinalPathNameByHandleW(h, buf.data(), static_cast<DWORD>(buf.size()), 0);
    if (n >= buf.size()) {
        buf.resize(n + 1);
        n = GetFinalPathNameByHandleW(h, buf.data(), static_cast<DWORD>(buf.size()), 0);
    }
    CloseHandle(h);
    if (n == 0 || n >= buf.size())
        return {};
    std::wstring_view p(buf.data(), n);
    // "\\?\C:\x" -> "C:\x"; "\\?\UNC\server\share" -> "\\server\share"
    if (p.substr(0, 8) == L"\\\\?\\UNC\\")
        return "\\\\" + win32::Bytes(p.substr(8));
    if (p.substr(0, 4) == L"\\\\?\\")
        p.remove_prefix(4);
    return win32::Bytes(p);
}

bool ReadFile::open(const std::string& path)
{
    close();
    m_error.clear();
    if (path.empty()) {
        m_error = ": no file name";
        return false;
    }
    const std::wstring w = Wide(path);
    const DWORD attr = GetFileAttributesW(w.c_str());
    if (attr != INVALID_FILE_ATTRIBUTES && (attr & FILE_ATTRIBUTE_DIRECTORY)) {
        m_error = path + ": is a folder";
        return false;
    }
    // Others may go on reading, writing, renaming or deleting the file while
    // it is open, as they can on Linux.
    HANDLE h = CreateFileW(w.c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        m_error = LastErrorText(path);
        return false;
    }
    FileInfo info = infoOf(h);
    if (info.kind != FileKind::Regular) {
        m_error = path + ": is not a regular file";
        CloseHandle(h);
        return false;
    }
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(h), _O_RDONLY | _O_BINARY);
    if (fd < 0) {
        m_error = path + ": too many open files";
        CloseHandle(h);
        return false;
    }
    m_fd = fd;
    m_info = info;
    return true;
}

void ReadFile::close()
{
    if (m_fd >= 0)
        _close(m_fd);
    m_fd = -1;
    m_info = {};
}

size_t ReadFile::readAt(void* buffer, size_t size, int64_t offset) const
{
    const HANDLE h = handleOf(m_fd);
    if (h == INVALID_HANDLE_VALUE || offset < 0)
        return 0;
    // A positioned read moves the file pointer; put it back so read() goes on
    // where it was, as pread leaves it.
    LARGE_INTEGER zero{}, here{};
    SetFilePointerEx(h, zero, &here, FILE_CURRENT);
    size_t done = 0;
    while (done < size) {
        const uint64_t at = static_cast<uint64_t>(offset) + done;
        OVERLAPPED ov{};
        ov.Offset = static_cast<DWORD>(at);
        ov.OffsetHigh = static_cast<DWORD>(at >> 32);
        const size_t left = size - done;
        const DWORD chunk = left > (1u << 30) ? (1u << 30) : static_cast<DWORD>(left);
        DWORD got = 0;
        if (!::ReadFile(h, static_cast<char*>(buffer) + done, chunk, &got, &ov) || got == 0)
            break;
        done += got;
    }
    SetFilePointerEx(h, here, nullptr, FILE_BEGIN);
    return done;
}

size_t ReadFile::read(void* buffer, size_t size)
{
    const HANDLE h = handleOf(m_fd);
    if (h == INVALID_HANDLE_VALUE)
        return 0;
    const DWORD chunk = size > (1u << 30) ? (1u << 30) : static_cast<DWORD>(size);
    DWORD got = 0;
    if (!::ReadFile(h, buffer, chunk, &got, nullptr))
        return 0;
    return got;
}

bool ListFolder(const std::string& folder, std::vector<FolderEntry>* entries, std::string* error)
{
    entries->clear();
    const std::string prefix = withSep(folder.empty() ? std::string(".") : folder);
    WIN32_FIND_DATAW fd{};
    HANDLE find = FindFirstFileExW(Wide(prefix + "*").c_str(), FindExInfoBasic, &fd,
                                   FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
    if (find == INVALID_HANDLE_VALUE) {
        // An empty drive root has no entries at all, not even "." and "..".
        if (GetLastError() == ERROR_FILE_NOT_FOUND && IsFolder(folder))
            return true;
        return setError(error, folder);
    }
    do {
        const std::wstring_view name(fd.cFileName);
        if (name == L"." || name == L"..")
            continue;
        FolderEntry entry;
        entry.name = win32::Bytes(name);
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)
            entry.kind = Stat(prefix + entry.name).kind;
        else if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            entry.kind = FileKind::Folder;
        else
            entry.kind = FileKind::Regular;
        entries->push_back(std::move(entry));
    } while (FindNextFileW(find, &fd));
    FindClose(find);
    return true;
}

bool MakeFolders(const std::string& path, uint32_t, std::string* error)
{
    if (path.empty()) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return setError(error, "empty folder name");
    }
    std::string p = withSep(path);
    // A share "\\server\share\" cannot be made; start below it.
    size_t start = 0;
    if (p.size() > 2 && isSep(p[0]) && isSep(p[1])) {
        size_t n = 2;
        for (int parts = 0; parts < 2 && n < p.size(); ++parts) {
            while (n < p.size() && !isSep(p[n]))
                ++n;
            ++n;
        }
        start = n;
    }
    for (size_t k = start; k < p.size(); ++k) {
        if (!isSep(p[k]) || k == 0 || isSep(p[k - 1]) || p[k - 1] == ':')
            continue;
        CreateDirectoryW(Wide(p.substr(0, k)).c_str(), nullptr);
    }
    if (IsFolder(path))
        return true;
    if (Exists(path))
        SetLastError(ERROR_DIRECTORY);
    return setError(error, path);
}

bool MakeFolder(const std::string& path, uint32_t, std::string* error)
{
    if (CreateDirectoryW(Wide(path).c_str(), nullptr))
        return true;
    return setError(error, path);
}

std::string MakePrivateFolder(const std::string& parent, const std::string& prefix,
                              std::string* error)
{
    // A new folder inherits the parent's access list; below the user's own
    // folders that is the user's alone.
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string path = withSep(parent) + prefix + uniqueSuffix();
        if (CreateDirectoryW(Wide(path).c_str(), nullptr))
            return path;
        if (GetLastError() != ERROR_ALREADY_EXISTS)
            break;
    }
    setError(error, "create a folder in " + parent);
    return {};
}

bool RemoveFile(const std::string& path, std::string* error)
{
    const std::wstring w = Wide(path);
    if (DeleteFileW(w.c_str()))
        return true;
    if (GetLastError() == ERROR_ACCESS_DENIED) {
        clearReadOnly(w);
        if (DeleteFileW(w.c_str()))
            return true;
    }
    return setError(error, path);
}

bool RemoveEmptyFolder(const std::string& path)
{
    return RemoveDirectoryW(Wide(path).c_str()) != 0;
}

bool RemoveTree(const std::string& path)
{
    const std::wstring w = Wide(path);
    const DWORD attr = GetFileAttributesW(w.c_str());
    if (attr == INVALID_FILE_ATTRIBUTES) {
        const DWORD e = GetLastError();
        return e == ERROR_FILE_NOT_FOUND || e == ERROR_PATH_NOT_FOUND;
    }
    if (!(attr & FILE_ATTRIBUTE_DIRECTORY))
        return RemoveFile(path);
    // A linked folder goes as a link; what it points at stays.
    if (attr & FILE_ATTRIBUTE_REPARSE_POINT)
        return RemoveDirectoryW(w.c_str()) != 0;
    std::vector<FolderEntry> entries;
    bool ok = true;
    if (ListFolder(path, &entries))
        for (const FolderEntry& e : entries)
            ok = RemoveTree(withSep(path) + e.name) && ok;
    return RemoveDirectoryW(w.c_str()) != 0 && ok;
}

bool RenameReplace(const std::string& from, const std::string& to, std::string* error)
{
    if (moveReplace(Wide(from), Wide(to)))
        return true;
    return setError(error, "rename " + from + " to " + to);
}

uint32_t InstalledFileMode(uint32_t sourceMode)
{
    // No umask on Windows.
    return sourceMode & 0755;
}

bool SyncPath(const std::string& path)
{
    const std::wstring w = Wide(path.empty() ? std::string(".") : path);
    const DWORD attr = GetFileAttributesW(w.c_str());
    if (attr == INVALID_FILE_ATTRIBUTES)
        return false;
    // NTFS journals folder changes itself; only file data needs flushing.
    if (attr & FILE_ATTRIBUTE_DIRECTORY)
        return true;
    HANDLE h = CreateFileW(w.c_str(), GENERIC_WRITE, kShareAll, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    const bool ok = FlushFileBuffers(h) != 0;
    CloseHandle(h);
    return ok;
}

std::string ProgramPath()
{
    std::wstring buf(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
        if (n == 0)
            return {};
        if (n < buf.size())
            return win32::Bytes(std::wstring_view(buf.data(), n));
        buf.resize(buf.size() * 2);
    }
}

std::string CurrentFolder()
{
    const DWORD n = GetCurrentDirectoryW(0, nullptr);
    if (n == 0)
        return {};
    std::wstring buf(n, L'\0');
    const DWORD got = GetCurrentDirectoryW(n, buf.data());
    if (got == 0 || got >= n)
        return {};
    return win32::Bytes(std::wstring_view(buf.data(), got));
}

AtomicSave::AtomicSave(std::string path, SaveOptions options)
    : m_path(std::move(path)), m_options(options)
{
    if (m_path.empty() || isSep(m_path.back())) {
        SetLastError(ERROR_DIRECTORY);
        fail("no file name: " + m_path);
        return;
    }
    // Beside the target so the rename stays on one volume.
    HANDLE h = INVALID_HANDLE_VALUE;
    for (int attempt = 0; attempt < 100 && h == INVALID_HANDLE_VALUE; ++attempt) {
        m_tmp = FolderOf(m_path) + "." + FileNameOf(m_path) + ".qmtmp." + uniqueSuffix();
        h = CreateFileW(Wide(m_tmp).c_str(), GENERIC_WRITE | DELETE,
                        FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, CREATE_NEW,
                        FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS)
            break;
    }
    if (h == INVALID_HANDLE_VALUE) {
        m_tmp.clear();
        fail("create a file in " + (FolderOf(m_path).empty() ? "." : FolderOf(m_path)));
        return;
    }
    m_fd = _open_osfhandle(reinterpret_cast<intptr_t>(h), _O_WRONLY | _O_BINARY);
    if (m_fd < 0) {
        CloseHandle(h);
        DeleteFileW(Wide(m_tmp).c_str());
        m_tmp.clear();
        SetLastError(ERROR_TOO_MANY_OPEN_FILES);
        fail("create a file for " + m_path);
    }
}

bool AtomicSave::commit()
{
    if (m_failed || m_fd < 0) {
        cancel();
        return false;
    }
    if (m_options.sync && !FlushFileBuffers(handleOf(m_fd)))
        fail("flush " + m_path);
    const std::wstring tmp = Wide(m_tmp);
    const bool renamed = !m_failed && renameOpenFile(handleOf(m_fd), Wide(m_path));
    _close(m_fd);
    m_fd = -1;
    if (!m_failed && !renamed && !moveReplace(tmp, Wide(m_path)))
        fail("replace " + m_path);
    if (m_failed) {
        DeleteFileW(tmp.c_str());
        m_tmp.clear();
        return false;
    }
    m_tmp.clear();
    // Without the owner's write bit the file is read-only, as far as Windows
    // can say it.
    if (!(m_options.mode & 0200)) {
        const std::wstring target = Wide(m_path);
        const DWORD attr = GetFileAttributesW(target.c_str());
        if (attr != INVALID_FILE_ATTRIBUTES)
            SetFileAttributesW(target.c_str(), attr | FILE_ATTRIBUTE_READONLY);
    }
    return true;
}

void AtomicSave::cancel()
{
    if (m_fd >= 0)
        _close(m_fd);
    m_fd = -1;
    if (!m_tmp.empty())
        DeleteFileW(Wide(m_tmp).c_str());
    m_tmp.clear();
}

} // namespace qm::fs
