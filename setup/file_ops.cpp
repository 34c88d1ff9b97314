#include "setup/file_ops.h"

#include "common/settings.h"
#include "platform/file_system.h"
#include "platform/target_folder.h"

#include <algorithm>
#include <cstdio>
#include <functional>

namespace qmsetup {

namespace fs = qm::fs;

bool MakeDirectoryPath(const std::string& path)
{
    return fs::MakeFolders(path.empty() ? std::string(".") : path);
}

bool SourceFileSize(const std::string& path, int64_t* size)
{
    fs::ReadFile file(path);
    if (!file.isOpen())
        return false;
    if (size)
        *size = static_cast<int64_t>(file.size());
    return true;
}

bool IsValidTargetFolder(const std::string& path)
{
    return qm::IsValidTargetFolder(path);
}

bool IsContainedRelativePath(const std::string& entry)
{
    if (!entry.empty() && entry.front() == '/')
        return false;
    size_t start = 0;
    while (start <= entry.size()) {
        size_t end = entry.find('/', start);
        if (end == std::string::npos)
            end = entry.size();
        if (entry.compare(start, end - start, "..") == 0 && end - start == 2)
            return false;
        start = end + 1;
    }
    return true;
}

std::string OverlongNamePart(const std::string& path)
{
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find('/', start);
        if (end == std::string::npos)
            end = path.size();
        if (end - start > kMaxFileNameBytes)
            return path.substr(start, end - start);
        start = end + 1;
    }
    return {};
}

namespace {

// The hidden name an old file is kept under while the install runs.
std::string backupPathOf(const std::string& path)
{
    const std::string folder = fs::FolderOf(path);
    const std::string name = fs::FileNameOf(path);
    std::string backup = "." + name + ".qmold";
    if (backup.size() > kMaxFileNameBytes) {
        char hash[32];
        std::snprintf(hash, sizeof hash, ".qmold-%016zx", std::hash<std::string>{}(name));
        backup = hash;
    }
    return folder + backup;
}

} // namespace

InstallJournal::~InstallJournal()
{
    if (!m_done)
        rollBack();
}

bool InstallJournal::willWrite(const std::string& path, std::string* error)
{
    for (const Entry& e : m_entries)
        if (e.path == path)
            return true; // written twice in one run: the first old file is the one to keep
    Entry entry{path, {}};
    if (fs::Exists(path)) {
        entry.backup = backupPathOf(path);
        fs::RemoveFile(entry.backup); // a leftover of a run that died
        // A second name keeps the old file (or link) where it is until the copy
        // replaces it; where links are not offered, a copy of it. A folder in
        // the way is no file to keep: the write itself will fail.
        if (!fs::LinkFile(path, entry.backup)) {
            const fs::FileKind kind = fs::Stat(path).kind;
            if (kind == fs::FileKind::Folder)
                entry.backup.clear();
            else if (kind != fs::FileKind::Regular ||
                     !fs::CopyFileAtomic(path, entry.backup, {fs::CopyMode::Keep, false}, error))
                return false;
        }
    }
    m_entries.push_back(std::move(entry));
    m_written.push_back(path);
    return true;
}

bool InstallJournal::makeFolders(const std::string& path)
{
    // The levels that are missing now are the ones this install makes.
    std::vector<std::string> missing;
    for (std::string p = path; !p.empty() && !fs::Exists(p);) {
        missing.push_back(p);
        // One level up, by either separator Windows knows.
        std::string up = fs::FolderOf(p);
        if (up.size() > 1 && (up.back() == '/' || up.back() == qm::kPathSep))
            up.pop_back();
        if (up.size() >= p.size())
            break;
        p = std::move(up);
    }
    const bool ok = MakeDirectoryPath(path);
    for (const std::string& m : missing)
        if (fs::IsFolder(m))
            m_madeFolders.push_back(m);
    return ok;
}

void InstallJournal::commit()
{
    for (const Entry& e : m_entries)
        if (!e.backup.empty())
            fs::RemoveFile(e.backup);
    m_done = true;
}

void InstallJournal::rollBack()
{
    for (auto e = m_entries.rbegin(); e != m_entries.rend(); ++e) {
        if (e->backup.empty()) {
            fs::RemoveFile(e->path);
            continue;
        }
        fs::RenameReplace(e->backup, e->path);
        // Where the write never happened both names are one file, and the
        // rename does nothing: the spare name goes.
        const fs::FileInfo kept = fs::Stat(e->backup);
        const fs::FileInfo now = fs::Stat(e->path);
        if (kept.kind != fs::FileKind::Missing && kept.device == now.device &&
            kept.inode == now.inode)
            fs::RemoveFile(e->backup);
    }
    // Deepest first; a folder that holds anything else stays.
    std::vector<std::string> folders = m_madeFolders;
    std::sort(folders.begin(), folders.end(),
              [](const std::string& a, const std::string& b) { return a.size() > b.size(); });
    for (const std::string& f : folders)
        fs::RemoveEmptyFolder(f);
    m_entries.clear();
    m_madeFolders.clear();
    m_done = true;
}

} // namespace qmsetup
