#pragma once

#include <string>

namespace qm {

// Whether setup may install into path. Windows: more than three characters,
// the second and third ":\" (a drive letter's folder; no drive root, no
// "\\server\share" network path). Linux: absolute, not "/" itself and not a
// "//" network path.
bool IsValidTargetFolder(const std::string& path);

// Whether path names its folder from the top of a file system, not from the
// current folder: "/..." on Linux; a drive letter, colon and separator on
// Windows.
bool IsFullPath(const std::string& path);

} // namespace qm
