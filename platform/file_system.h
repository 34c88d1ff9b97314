#pragma once

// The one door to the file system. Paths are bytes (native, '/' here); every
// file the suite writes goes through SaveFileAtomic/AtomicSave/CopyFileAtomic,
// and reading opens regular files only, so a FIFO never blocks a program.
// The Windows build swaps this file's implementation and nothing else.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qm::fs {

enum class FileKind { Missing, Regular, Folder, Other };

struct FileInfo {
    FileKind kind = FileKind::Missing;
    uint64_t size = 0;
    int64_t modifiedNs = 0; // nanoseconds since the epoch
    uint64_t device = 0;
    uint64_t inode = 0;
    uint32_t mode = 0; // permission bits (07777)
};

// What path names, symbolic links followed; kind Missing when it cannot be
// looked at.
FileInfo Stat(const std::string& path);
bool IsRegularFile(const std::string& path);
bool IsFolder(const std::string& path);
bool Exists(const std::string& path); // anything, even a dangling link
// The absolute path with every symbolic link resolved; empty when path does
// not exist.
std::string RealPath(const std::string& path);

// A regular file open for reading. Opening never blocks (a FIFO or device is
// refused, not waited on) and refuses what is not a regular file.
class ReadFile {
public:
    ReadFile() = default;
    explicit ReadFile(const std::string& path) { open(path); }
    ~ReadFile();
    ReadFile(ReadFile&& other) noexcept;
    ReadFile& operator=(ReadFile&& other) noexcept;
    ReadFile(const ReadFile&) = delete;
    ReadFile& operator=(const ReadFile&) = delete;

    // False with error() set when path is no readable regular file.
    bool open(const std::string& path);
    void close();
    bool isOpen() const { return m_fd >= 0; }
    const std::string& error() const { return m_error; }
    const FileInfo& info() const { return m_info; }
    uint64_t size() const { return m_info.size; }

    // Up to size bytes at offset; the count read (0 at or past the end, or on
    // an error).
    size_t readAt(void* buffer, size_t size, int64_t offset) const;
    bool readExact(void* buffer, size_t size, int64_t offset) const
    {
        return readAt(buffer, size, offset) == size;
    }
    // The next bytes from the current position (for streaming whole files).
    size_t read(void* buffer, size_t size);
    int nativeHandle() const { return m_fd; }

private:
    int m_fd = -1;
    FileInfo m_info;
    std::string m_error;
};

// The whole of a regular file; nothing when it is not one, cannot be read,
// or is larger than maxBytes.
std::optional<std::string> ReadWholeFile(const std::string& path, uint64_t maxBytes,
                                         std::string* error = nullptr);

struct FolderEntry {
    std::string name;                  // bytes as the file system has them
    FileKind kind = FileKind::Missing; // links resolved
};

// The entries of a folder without "." and "..", in the file system's order.
// False (and no entries) when the folder cannot be read.
bool ListFolder(const std::string& folder, std::vector<FolderEntry>* entries,
                std::string* error = nullptr);

// Makes every missing level of path; true when path is a folder afterwards.
bool MakeFolders(const std::string& path, uint32_t mode = 0755, std::string* error = nullptr);
// Makes the last level only, as the C runtime's mkdir (a missing parent fails).
bool MakeFolder(const std::string& path, uint32_t mode = 0777, std::string* error = nullptr);
// A new folder only this user can enter (0700), named prefix + random; its
// path, or empty.
std::string MakePrivateFolder(const std::string& parent, const std::string& prefix,
                              std::string* error = nullptr);

bool RemoveFile(const std::string& path, std::string* error = nullptr);
bool RemoveEmptyFolder(const std::string& path);
// Removes a folder and everything below it (links are removed, not followed).
bool RemoveTree(const std::string& path);
// A second name for an existing file (a link itself when existing is one);
// fails when newPath exists or the file system has no hard links.
bool LinkFile(const std::string& existing, const std::string& newPath,
              std::string* error = nullptr);
// Replaces to with from in one step (both in one file system).
bool RenameReplace(const std::string& from, const std::string& to, std::string* error = nullptr);

// Mode bits an installed file gets from its source: never set-id, sticky,
// group- or other-write bits, and the process's umask applied.
uint32_t InstalledFileMode(uint32_t sourceMode);

// Flushes a file or folder to the disk.
bool SyncPath(const std::string& path);

struct SaveOptions {
    uint32_t mode = 0644;   // permission bits of the saved file
    bool applyUmask = true; // false: mode exactly (a copy keeping its source's bits)
    bool sync = false;      // flush the data and the folder before returning
};

// Writes to a temporary file beside path, then renames it over path: readers
// see the old file or the new one, never half of it, and a symbolic link at
// path is replaced, never followed. On failure nothing changes and no
// temporary file remains.
class AtomicSave {
public:
    explicit AtomicSave(std::string path, SaveOptions options = {});
    ~AtomicSave(); // not committed: the temporary file is removed
    AtomicSave(const AtomicSave&) = delete;
    AtomicSave& operator=(const AtomicSave&) = delete;

    bool isOpen() const { return m_fd >= 0; }
    bool write(const void* data, size_t size);
    bool write(std::string_view data) { return write(data.data(), data.size()); }
    // Renames over the target; false (target unchanged) when anything failed.
    bool commit();
    void cancel();
    const std::string& error() const { return m_error; }
    const std::string& path() const { return m_path; }
    int nativeHandle() const { return m_fd; }

private:
    bool fail(const std::string& what);

    std::string m_path;
    std::string m_tmp;
    SaveOptions m_options;
    int m_fd = -1;
    bool m_failed = false;
    std::string m_error;
};

bool SaveFileAtomic(const std::string& path, std::string_view data, const SaveOptions& options = {},
                    std::string* error = nullptr);

enum class CopyMode {
    Keep,      // the source's permission bits (minus set-id and sticky)
    Installed, // InstalledFileMode of the source's bits
};

struct CopyOptions {
    CopyMode mode = CopyMode::Keep;
    bool sync = false;
};

// Copies a regular file to destination through AtomicSave's rules: the old
// destination stays whole until the copy is complete.
bool CopyFileAtomic(const std::string& source, const std::string& destination,
                    const CopyOptions& options = {}, std::string* error = nullptr);

// The folder part of path up to and including its last separator; empty for
// a bare name.
std::string FolderOf(const std::string& path);
// The part after the last separator.
std::string FileNameOf(const std::string& path);

// The running program's own file as the file system spells it; "" when the
// system does not say.
std::string ProgramPath();
// The process's working folder as bytes; "" when it cannot be told.
std::string CurrentFolder();

} // namespace qm::fs
