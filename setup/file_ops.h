#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace qmsetup {

// Creates every level of path; true when path is a folder afterwards.
bool MakeDirectoryPath(const std::string& path);

// Opens path for reading and gives its length; false when it is no regular
// file that can be read (a folder counts as missing).
bool SourceFileSize(const std::string& path, int64_t* size);

// The stand-in for setup's drive-letter check: an absolute path that is not
// the root itself and not a "//" network path.
bool IsValidTargetFolder(const std::string& path);

// A description file's relative entry that stays below its folder: not
// absolute and without a ".." part.
bool IsContainedRelativePath(const std::string& nativeEntry);

// The longest name of one file or folder the file systems we install to take.
inline constexpr size_t kMaxFileNameBytes = 255;
// The first part of a relative path (or a bare name) longer than that; empty
// when every part fits.
std::string OverlongNamePart(const std::string& nativePath);

// Everything an install writes into existing places, so that a failed install
// leaves them as they were: a file it replaces is kept under a hidden name
// beside it until the install is committed, a file it adds is removed, and
// the folders it made go again when they are empty.
class InstallJournal {
public:
    InstallJournal() = default;
    ~InstallJournal(); // neither committed nor rolled back: rolled back
    InstallJournal(const InstallJournal&) = delete;
    InstallJournal& operator=(const InstallJournal&) = delete;

    // Before path is written. False (error set) when the old file could not
    // be kept; the install must not write path then.
    bool willWrite(const std::string& path, std::string* error = nullptr);
    // Makes every missing level of path, noting the levels it made.
    bool makeFolders(const std::string& path);
    // The files written, in order (for syncing them).
    const std::vector<std::string>& written() const { return m_written; }
    const std::vector<std::string>& madeFolders() const { return m_madeFolders; }

    // The install is recorded: the kept old files go.
    void commit();
    // Puts everything back as it was.
    void rollBack();

private:
    struct Entry {
        std::string path;
        std::string backup; // empty: the file was added
    };
    std::vector<Entry> m_entries;
    std::vector<std::string> m_written;
    std::vector<std::string> m_madeFolders;
    bool m_done = false;
};

} // namespace qmsetup
