#include "setup/uninstall.h"

#include "common/profile.h"
#include "common/settings.h"
#include "common/shortcut.h"
#include "platform/desktop_association.h"
#include "platform/file_system.h"
#include "platform/process_start.h"
#include "platform/registry_store.h"
#include "platform/special_folders.h"
#include "setup/definition_files.h"
#include "setup/file_ops.h"
#include "setup/install.h"
#include "setup/records.h"

#include <algorithm>

namespace qmsetup {

namespace fs = qm::fs;

namespace {

// A file or link, never a folder.
bool removeFile(const std::string& path)
{
    return fs::RemoveFile(path);
}

// Removes a folder only when it is empty.
void removeEmptyFolder(const std::string& path)
{
    fs::RemoveEmptyFolder(path);
}

// A shortcut is the module's when it starts its program.
void removeShortcut(const std::string& folder, const std::string& displayName,
                    const std::string& exe, UninstallOutcome& out)
{
    if (folder.empty() || exe.empty())
        return;
    const std::string file = folder + "/" + ShortcutName(displayName) + qm::kShortcutExtension;
    if (qm::ShortcutStarts(file, exe) && removeFile(file))
        out.removedFiles.push_back(file);
}

// Other modules' kept descriptions in the same folder.
bool folderSharedWithOthers(const std::string& folder)
{
    std::vector<fs::FolderEntry> entries;
    fs::ListFolder(folder, &entries);
    for (const fs::FolderEntry& e : entries) {
        const std::string& n = e.name;
        if (n.rfind("_setup.", 0) == 0 && n.size() > 11 && n.compare(n.size() - 4, 4, ".dat") == 0)
            return true;
    }
    return false;
}

constexpr const char* kClassesKey = "Software\\Classes";

// The classes below root whose shell\open\command starts one of files.
std::vector<std::string> classesStarting(const qm::RegistryStore& store, qm::RegRoot root,
                                         const std::vector<std::string>& files)
{
    std::vector<std::string> out;
    if (files.empty())
        return out;
    for (const std::string& progId : store.subKeys(root, kClassesKey)) {
        const auto v = store.value(
            root, std::string(kClassesKey) + "\\" + progId + "\\shell\\open\\command", "");
        if (!v)
            continue;
        const std::vector<std::string> args =
            qm::SplitWindowsCommandLine(std::string(v->data.c_str()));
        if (!args.empty() && std::find(files.begin(), files.end(), args[0]) != files.end())
            out.push_back(progId);
    }
    return out;
}

} // namespace

std::vector<RecordedModule> ListRecordedModules()
{
    std::vector<RecordedModule> out;
    qm::RegistryStore store(qm::RegistryStore::Mode::ReadOnly);
    for (const std::string& name : store.subKeys(qm::HKEY_LOCAL_MACHINE, kToolsKey)) {
        const InstalledModuleRecord r = ReadInstalledModuleRecord(name, 0);
        out.push_back({name, r.version, r.path});
    }
    return out;
}

UninstallOutcome UninstallModule(const std::string& displayName)
{
    UninstallOutcome out;
    const InstalledModuleRecord rec = ReadInstalledModuleRecord(displayName, 0);

    if (!rec.path.empty() && IsValidTargetFolder(rec.path)) {
        const std::string kept = InstalledDescriptionPath(rec.path, displayName);
        if (SetupFileExists(kept)) {
            const qm::ProfileFile def(kept);
            for (const std::string& entry : def.list("Files", "")) {
                const std::string native = NativeRelativePath(entry);
                if (native.empty() || !IsContainedRelativePath(native))
                    continue;
                const std::string file = rec.path + "/" + native;
                if (removeFile(file))
                    out.removedFiles.push_back(file);
            }
            // Setup made every level of each folder; the deepest go first.
            std::vector<std::string> dirs;
            for (const std::string& entry : def.list("MkDirs", "")) {
                std::string native = NativeRelativePath(entry);
                if (!IsContainedRelativePath(native))
                    continue;
                while (!native.empty()) {
                    dirs.push_back(native);
                    const size_t cut = native.find_last_of('/');
                    native = cut == std::string::npos ? std::string() : native.substr(0, cut);
                }
            }
            std::sort(dirs.begin(), dirs.end(), [](const std::string& a, const std::string& b) {
                return std::count(a.begin(), a.end(), '/') > std::count(b.begin(), b.end(), '/');
            });
            for (const std::string& d : dirs)
                removeEmptyFolder(rec.path + "/" + d);
            if (removeFile(kept))
                out.removedFiles.push_back(kept);
            // The script and the update reply belong to the folder's last install.
            if (!folderSharedWithOthers(rec.path)) {
                for (const char* leftover : {"/_setup.reg", "/_setup.ver"})
                    if (removeFile(rec.path + leftover))
                        out.removedFiles.push_back(rec.path + leftover);
            }
            removeEmptyFolder(rec.path);
        } else {
            out.problem =
                "The files in " + rec.path + " were left in place: setup kept no list of them.";
        }
    }

    const std::string programs = SetupProgramsFolder();
    const std::string desktop = SetupDesktopFolder();
    const std::string menuFolder =
        programs.empty() ? std::string() : programs + "/" + kToolsFolderName;
    removeShortcut(menuFolder, displayName, rec.exe, out);
    removeShortcut(desktop, displayName, rec.exe, out);
    if (!menuFolder.empty())
        removeEmptyFolder(menuFolder);

    // Setup's own class, and every class whose open command starts a file that
    // is gone now (the viewer registers itself under a name of its own).
    qm::RegistryStore store;
    std::vector<std::pair<qm::RegRoot, std::string>> classes;
    for (const qm::RegRoot root : {qm::HKEY_LOCAL_MACHINE, qm::HKEY_CURRENT_USER})
        for (const std::string& progId : classesStarting(store, root, out.removedFiles))
            classes.emplace_back(root, progId);
    const std::string ownProgId = ProgIdOf(displayName);
    if (std::none_of(classes.begin(), classes.end(), [&](const auto& c) {
            return c.first == qm::HKEY_LOCAL_MACHINE &&
                   qm::RegFold(c.second) == qm::RegFold(ownProgId);
        }))
        classes.emplace_back(qm::HKEY_LOCAL_MACHINE, ownProgId);

    std::vector<std::pair<std::string, std::vector<std::string>>> withdrawn; // class, extensions
    const bool ok = store.transact([&] {
        bool good = true;
        for (const auto& [root, progId] : classes) {
            std::vector<std::string> extensions;
            // Another program may have taken an extension since: only those
            // still naming the class go.
            for (const std::string& sub : store.subKeys(root, kClassesKey)) {
                if (sub.empty() || sub[0] != '.')
                    continue;
                const auto v = store.value(root, std::string(kClassesKey) + "\\" + sub, "");
                if (v && qm::RegFold(std::string(v->data.c_str())) == qm::RegFold(progId)) {
                    good = store.deleteKey(root, std::string(kClassesKey) + "\\" + sub) && good;
                    extensions.push_back(sub.substr(1));
                }
            }
            good = store.deleteKey(root, std::string(kClassesKey) + "\\" + progId) && good;
            withdrawn.emplace_back(progId, extensions);
        }
        good =
            store.deleteKey(qm::HKEY_LOCAL_MACHINE, std::string(kToolsKey) + "\\" + displayName) &&
            good;
        return good;
    });
    if (!ok) {
        if (!out.problem.empty())
            out.problem += "\n";
        out.problem +=
            "The record of " + displayName + " could not be removed: " + store.lastError();
    } else {
        // The desktop had the classes from the store; they go with the keys.
        for (const auto& [progId, extensions] : withdrawn)
            qm::WithdrawFileClassFromDesktop(progId, extensions);
    }
    return out;
}

bool RemoveUninstallEntryIfUnused()
{
    {
        qm::RegistryStore store;
        if (!store.subKeys(qm::HKEY_LOCAL_MACHINE, kToolsKey).empty())
            return false;
        const bool ok = store.transact([&] {
            return store.deleteKey(qm::HKEY_LOCAL_MACHINE, kUninstallKey) &&
                   store.deleteKey(qm::HKEY_LOCAL_MACHINE, kToolsKey);
        });
        if (!ok)
            return false;
    }
    const std::string system = qm::GetSpecialFolder(qm::SpecialFolder::System);
    if (!system.empty()) {
        removeFile(system + "/" + kUninstallerName);
        removeFile(system + "/" + kUninstallerName + ".manifest");
        removeEmptyFolder(system);
    }
    return true;
}

} // namespace qmsetup
