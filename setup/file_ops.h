#pragma once

#include <cstdint>
#include <string>

namespace qmsetup {

// Creates every level of path; true when path is a folder afterwards.
bool MakeDirectoryPath(const std::string& path);

// Opens path for reading and gives its length; false when it is no regular
// file that can be read (a folder counts as missing).
bool SourceFileSize(const std::string& path, int64_t* size);

// CopyFile with overwriting, done safely: the data goes to a temporary file in
// the destination's folder, which then replaces the destination in one rename.
// On failure the old destination is untouched and no temporary file remains.
// The copy keeps the source's permission bits.
bool CopyFileAtomic(const std::string& source, const std::string& destination,
                    std::string* error = nullptr);

// Setup's drive-letter check, as the system spells folders
// (qm::IsValidTargetFolder).
bool IsValidTargetFolder(const std::string& path);

// A description file's relative entry that stays below its folder: not
// absolute and without a ".." part.
bool IsContainedRelativePath(const std::string& nativeEntry);

} // namespace qmsetup
