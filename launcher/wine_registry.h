#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace playdeck {

// A read-only view of one of Wine's text registry files (system.reg, user.reg).
// Only plain string values ("Name"="text", @= for the default, str(2):) are
// kept; dword:, hex: and the like are skipped. Keys and value names compare
// without regard to ASCII case, as in Windows.
class WineRegistryFile {
public:
    // Nothing when the file cannot be read; a damaged file gives whatever
    // well-formed entries it holds.
    static std::optional<WineRegistryFile> load(const std::string& path);
    static WineRegistryFile parse(std::string_view text);

    // key is a single-backslash path relative to the file's root.
    std::optional<std::string> value(std::string_view key, std::string_view name) const;

private:
    std::map<std::string, std::map<std::string, std::string>> m_keys; // lower-cased names
};

// Maps a Windows path ("C:\Games\Red Faction") to a Linux path through the
// prefix's dosdevices links, each component matched without regard to case.
// Nothing when the drive or any component does not exist.
std::optional<std::string> MapWinePath(const std::string& prefix, const std::string& windowsPath);

// The entry of folder whose name equals name without regard to ASCII case:
// the exact spelling when present, else the first such entry in name order.
std::optional<std::string> FindEntryNoCase(const std::string& folder, std::string_view name);

} // namespace playdeck
