#include "tblview/ui/recent_files.h"

#include "common/settings.h"

namespace gridlens {

const char* const RecentFileList::kKey =
    "Software\\Quorvel Network\\Quorvel Manager GRIDLENS32 (Light Edition)\\Recent File List";

void RecentFileList::Load()
{
    m_entries.clear();
    m_changed = false;
    for (int i = 1; i <= kSize; ++i) {
        const std::string v =
            qm::ReadRegString(qm::HKEY_CURRENT_USER, kKey, "File" + std::to_string(i), "");
        if (!v.empty())
            m_entries.push_back(v);
    }
}

void RecentFileList::Add(const std::string& path)
{
    std::erase(m_entries, path);
    m_entries.insert(m_entries.begin(), path);
    if (m_entries.size() > size_t(kSize))
        m_entries.resize(kSize);
    m_changed = true;
}

void RecentFileList::Remove(int index)
{
    if (index < 0 || size_t(index) >= m_entries.size())
        return;
    m_entries.erase(m_entries.begin() + index);
    m_changed = true;
}

void RecentFileList::Save()
{
    // Once at exit rather than at every open: each write is a store transaction
    // on disk. Unused slots are emptied so a shorter list reads back as it is.
    if (!m_changed)
        return;
    m_changed = false;
    for (int i = 0; i < kSize; ++i) {
        const std::string v = size_t(i) < m_entries.size() ? m_entries[size_t(i)] : "";
        qm::WriteRegString(qm::HKEY_CURRENT_USER, kKey, "File" + std::to_string(i + 1), v);
    }
}

} // namespace gridlens
