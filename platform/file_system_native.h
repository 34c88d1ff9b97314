#pragma once

// What each system's half of the facade (file_system.cpp, its win32 twin)
// gives the half they share (file_system_common.cpp). Not for use outside
// platform/.

#include "platform/file_system.h"

#include <string>

namespace qm::fs::native {

// "what: " and the system's reason for the last failed call.
std::string ErrorText(const std::string& what);
// Writes all of data to an open descriptor.
bool WriteAll(int fd, const char* data, size_t size);
// Copies the rest of in to out, the fastest way the system offers; false with
// the reason in *error.
bool CopyContents(ReadFile& in, AtomicSave& out, std::string* error);
// The characters that end a folder's name in a path.
extern const char kSeparators[];

} // namespace qm::fs::native
