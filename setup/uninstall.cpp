#include "setup/uninstall.h"

#include "common/profile.h"
#include "common/settings.h"
#include "platform/desktop_association.h"
#include "platform/registry_store.h"
#include "platform/special_folders.h"
#include "setup/definition_files.h"
#include "setup/file_ops.h"
#include "setup/install.h"
#include "setup/records.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace qmsetup {

namespace fs = std::filesystem;

namespace {

bool removeFile(const std::string& path)
{
    std::error_code ec;
    const fs::file_status st = fs::symlink_status(path, ec);
    if (ec || fs::is_directory(st) || !fs::exists(st))
        return false;
    return fs::remove(path, ec) && !ec;
}

// Removes a folder only when it is empty.
void removeEmptyFolder(const std::string& path)
{
    std::error_code ec;
    if (fs::is_directory(path, ec) && fs::is_empty(path, ec))
        fs::remove(path, ec);
}

std::string readText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// A shortcut is the module's when it is a desktop entry that starts its program.
void removeShortcut(const std::string& folder, const std::string& displayName,
                    const std::string& exe, UninstallOutcome& out)
{
    if (folder.empty() || exe.empty())
        return;
    const std::string file = folder + "/" + ShortcutName(displayName) + ".desktop";
    const std::string text = readText(file);
    if (text.rfind("[Desktop Entry]", 0) == 0 && text.find(exe) != std::string::npos &&
        removeFile(file))
        out.removedFiles.push_back(file);
}

// Other modules' kept descriptions in the same folder.
bool folderSharedWithOthers(const std::string& folder)
{
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(folder, ec)) {
        const std::string n = e.path().filename().string();
        if (n.rfind("_setup.", 0) == 0 && n.size() > 11 && n.compare(n.size() - 4, 4, ".dat") == 0)
            return true;
    }
    return false;
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
    std::vector<std::string> extensions;
    bool extensionsKnown = false;

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
            extensions = def.list("Extensions", "");
            extensionsKnown = true;
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

    const std::string progId = ProgIdOf(displayName);
    qm::RegistryStore store;
    std::vector<std::string> withdrawn; // extensions whose key goes
    const bool ok = store.transact([&] {
        bool good = true;
        if (extensionsKnown) {
            for (const std::string& ext : extensions) {
                const std::string key = "Software\\Classes\\." + ext;
                // Another program may have taken the extension since.
                const auto v = store.value(qm::HKEY_LOCAL_MACHINE, key, "");
                if (v && std::string(v->data.c_str()) == progId) {
                    good = store.deleteKey(qm::HKEY_LOCAL_MACHINE, key) && good;
                    withdrawn.push_back(ext);
                }
            }
        }
        good = store.deleteKey(qm::HKEY_LOCAL_MACHINE, "Software\\Classes\\" + progId) && good;
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
        // The desktop had the class from the install script; it goes with the keys.
        qm::WithdrawFileClassFromDesktop(progId, withdrawn);
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
