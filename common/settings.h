#pragma once

#include "platform/registry_store.h"

#include <cstdint>
#include <string>

namespace qm {

// The launcher's own settings key below HKEY_CURRENT_USER.
inline constexpr const char* SettingsKey =
    "Software\\Quorvel Network\\Quorvel Manager PLAYDECK32\\Settings";

// Longest string a reader accepts, terminating zero included: a longer value
// counts as unreadable and yields the default.
inline constexpr size_t kRegReadBuffer = 8191;
// Writers keep at most this many characters (an 8192-byte buffer with its zero).
inline constexpr size_t kRegWriteMax = 8191;

// Every read opens the store, reads and closes it: a missing store, key or
// value, or an unreadable database, yields the default and never an error.
std::string ReadRegString(RegRoot root, const std::string& subKey, const std::string& valueName,
                          const std::string& def);
// Setup's reader: the same rules, every failure yields "".
std::string ReadRegString(RegRoot root, const std::string& subKey, const std::string& valueName);
uint32_t ReadRegDword(RegRoot root, const std::string& subKey, const std::string& valueName,
                      uint32_t def);

// Writes create the key with all its parents; false on any store error.
bool WriteRegString(RegRoot root, const std::string& subKey, const std::string& valueName,
                    const std::string& text);
bool WriteRegDword(RegRoot root, const std::string& subKey, const std::string& valueName,
                   uint32_t number);

// $TEMP with a trailing separator; when TEMP is unset or empty, $TMPDIR, then /tmp.
std::string GetTempFolder();

// The native path separator, as the design's "\\" between path parts.
#ifdef _WIN32
inline constexpr char kPathSep = '\\';
#else
inline constexpr char kPathSep = '/';
#endif

} // namespace qm
