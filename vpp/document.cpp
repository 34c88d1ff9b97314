#include "vpp/document.h"

#include "platform/file_system.h"
#include "vpp/names.h"

#include <algorithm>

namespace qm::vpp {

void PackfileDocument::clear()
{
    m_path.clear();
    m_items.clear();
    m_warnings.clear();
    m_modified = false;
}

bool PackfileDocument::open(const std::string& path, std::string* error)
{
    Directory dir;
    if (!ReadDirectory(path, &dir, error))
        return false;
    m_items.clear();
    for (const Entry& e : dir.entries)
        m_items.push_back({e.name, Source::FromRange(path, e.offset, e.size), {}});
    m_warnings = dir.warnings;
    m_path = path;
    m_modified = false;
    return true;
}

std::vector<std::string> PackfileDocument::names() const
{
    std::vector<std::string> out;
    out.reserve(m_items.size());
    for (const Item& item : m_items)
        out.push_back(item.name);
    return out;
}

std::string PackfileDocument::nameFault(const std::string& name, int index) const
{
    return EntryNameFault(name, names(), index);
}

int PackfileDocument::find(const std::string& name) const
{
    return FindName(names(), name);
}

bool PackfileDocument::addFile(const std::string& filePath, std::string* error,
                               const std::string& name)
{
    const std::string entryName = name.empty() ? EntryNameForFile(fs::FileNameOf(filePath)) : name;
    Source source;
    if (!Source::FromFile(filePath, &source, error))
        return false;
    const std::string fault = nameFault(entryName);
    if (!fault.empty()) {
        if (error)
            *error = fault;
        return false;
    }
    m_items.push_back({entryName, std::move(source), filePath});
    m_modified = true;
    return true;
}

bool PackfileDocument::addBytes(const std::string& name, std::string bytes, std::string* error)
{
    const std::string fault = nameFault(name);
    if (!fault.empty()) {
        if (error)
            *error = fault;
        return false;
    }
    m_items.push_back({name, Source::FromBytes(std::move(bytes)), {}});
    m_modified = true;
    return true;
}

std::vector<std::string> PackfileDocument::FilesIn(const std::string& folder, bool recursive)
{
    std::vector<std::string> files;
    std::vector<std::string> pending{folder};
    while (!pending.empty()) {
        const std::string dir = pending.back();
        pending.pop_back();
        std::vector<fs::FolderEntry> entries;
        if (!fs::ListFolder(dir, &entries))
            continue;
        const std::string base = dir.ends_with('/') ? dir : dir + "/";
        for (const fs::FolderEntry& e : entries) {
            if (e.kind == fs::FileKind::Regular)
                files.push_back(base + e.name);
            else if (recursive && e.kind == fs::FileKind::Folder)
                pending.push_back(base + e.name);
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

bool PackfileDocument::remove(size_t index)
{
    if (index >= m_items.size())
        return false;
    m_items.erase(m_items.begin() + std::ptrdiff_t(index));
    m_modified = true;
    return true;
}

bool PackfileDocument::rename(size_t index, const std::string& name, std::string* error)
{
    if (index >= m_items.size())
        return false;
    const std::string fault = nameFault(name, int(index));
    if (!fault.empty()) {
        if (error)
            *error = fault;
        return false;
    }
    if (m_items[index].name != name) {
        m_items[index].name = name;
        m_modified = true;
    }
    return true;
}

bool PackfileDocument::move(size_t index, int delta)
{
    const std::ptrdiff_t to = std::ptrdiff_t(index) + delta;
    if (index >= m_items.size() || to < 0 || to >= std::ptrdiff_t(m_items.size()))
        return false;
    std::swap(m_items[index], m_items[size_t(to)]);
    m_modified = true;
    return true;
}

bool PackfileDocument::replaceData(size_t index, const std::string& filePath, std::string* error)
{
    if (index >= m_items.size())
        return false;
    Source source;
    if (!Source::FromFile(filePath, &source, error))
        return false;
    m_items[index].source = std::move(source);
    m_items[index].origin = filePath;
    m_modified = true;
    return true;
}

WriteResult PackfileDocument::save(const std::string& path, const ProgressFn& progress)
{
    const std::string target = path.empty() ? m_path : path;
    std::vector<NewEntry> entries;
    entries.reserve(m_items.size());
    for (const Item& item : m_items)
        entries.push_back({item.name, item.source});
    WriteResult result = WritePackfile(target, entries, progress);
    if (!result.ok)
        return result;
    // The old ranges may point into the file just replaced: read it back.
    std::string error;
    if (!open(target, &error)) {
        result.ok = false;
        result.error = error;
    }
    return result;
}

} // namespace qm::vpp
