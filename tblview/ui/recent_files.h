#pragma once

#include <string>
#include <vector>

namespace gridlens {

// The recent-file list, kept as the framework keeps it: values "File1" to
// "File10" under the profile key's "Recent File List", most recent first.
class RecentFileList {
public:
    static constexpr int kSize = 10;
    static const char* const kKey;

    void Load();
    // Puts path first (moving it up when already listed).
    void Add(const std::string& path);
    void Remove(int index);
    const std::vector<std::string>& entries() const { return m_entries; }
    // Writes the list when it changed since Load, as the framework does at exit.
    void Save();

private:
    std::vector<std::string> m_entries;
    bool m_changed = false;
};

} // namespace gridlens
