#include "setup/install.h"

#include "common/profile.h"
#include "common/registry_script.h"
#include "common/shortcut.h"
#include "platform/file_system.h"
#include "platform/process_start.h"
#include "platform/special_folders.h"
#include "setup/file_ops.h"
#include "setup/update_check.h"

#include <algorithm>
#include <cstdio>
#include <optional>
#include <set>

namespace qmsetup {

namespace {

bool hasLineBreak(const std::string& s)
{
    return s.find_first_of("\r\n") != std::string::npos;
}

// Characters that would end a key line or reach another key.
bool breaksKeyName(const std::string& s)
{
    return s.find_first_of("\r\n[]\\\"") != std::string::npos;
}

std::string firstOf(qm::SpecialFolder common, qm::SpecialFolder user)
{
    const std::string c = qm::GetSpecialFolder(common);
    return c.empty() ? qm::GetSpecialFolder(user) : c;
}

} // namespace

std::string SetupProgramsFolder()
{
    return firstOf(qm::SpecialFolder::CommonPrograms, qm::SpecialFolder::Programs);
}

std::string SetupDesktopFolder()
{
    return firstOf(qm::SpecialFolder::CommonDesktop, qm::SpecialFolder::Desktop);
}

std::string ShortcutName(const std::string& registryName)
{
    // A file name cannot hold the separator the registry name may hold.
    std::string name = registryName;
    std::replace(name.begin(), name.end(), '/', '-');
    return name;
}

std::string ProgIdOf(const std::string& registryName)
{
    std::string progId = registryName;
    std::replace(progId.begin(), progId.end(), ' ', '.');
    return progId;
}

std::string InstalledDescriptionPath(const std::string& installDir, const std::string& registryName)
{
    return installDir + "/_setup." + ShortcutName(ProgIdOf(registryName)) + ".dat";
}

std::string BuildHex(int build)
{
    char buf[16];
    std::snprintf(buf, sizeof buf, "%x", static_cast<unsigned>(build));
    return buf;
}

namespace {

// The one mapping from a module's description and the user's choices to the
// job that installs it.
ModuleJob jobFor(const ModuleDescription& module, const std::string& sourceFolder,
                 const std::string& setupFolder, const std::string& moduleFile,
                 const std::string& installDir, bool startMenu, bool desktop, bool associate,
                 bool checkForUpdates)
{
    ModuleJob job;
    job.sourceFolder = sourceFolder;
    job.setupFolder = setupFolder;
    job.moduleFile = moduleFile;
    job.name = module.name;
    job.longName = module.longName;
    job.registryName = module.desc;
    job.version = module.vers;
    job.date = module.date;
    job.coder = module.coder;
    job.webName = module.webName;
    job.exeFile = module.exeFile;
    job.installDir = installDir;
    job.createStartMenuShortcut = startMenu;
    job.createDesktopShortcut = desktop;
    job.associateExtensions = associate;
    job.checkForUpdates = checkForUpdates;
    return job;
}

// The name CreateShortcutSetup saves a shortcut under.
std::string shortcutFile(const std::string& folder, const std::string& name)
{
    std::string path = folder + "/" + name;
    if (qm::RegFold(path).find(".desktop") == std::string::npos)
        path += ".desktop";
    return path;
}

// InstallModule, one member per step of the procedure.
class Installer {
public:
    Installer(const ModuleJob& job, InstallRun& run, InstallProgress& progress)
        : m_job(job), m_run(run), m_progress(progress)
    {
    }

    InstallResult run()
    {
        prepare();
        using Step = InstallResult (Installer::*)();
        for (Step step :
             {&Installer::checkDescription, &Installer::checkForUpdate, &Installer::findSources,
              &Installer::makeFolders, &Installer::copyFiles, &Installer::startScript,
              &Installer::makeShortcuts, &Installer::registerExtensions,
              &Installer::installUninstaller, &Installer::writeRecord}) {
            const InstallResult r = (this->*step)();
            if (r != InstallResult::Ok) {
                // Whatever this run wrote goes; what it replaced comes back.
                m_script.reset();
                m_journal.rollBack();
                return r;
            }
        }
        m_journal.commit();
        finish();
        return InstallResult::Ok;
    }

private:
    void status(const std::string& text)
    {
        m_progress.setStatus(m_run.statusPrefix + text);
        m_progress.repaint();
    }
    InstallResult fail(InstallResult r, const std::string& message)
    {
        m_run.errorText = message;
        return r;
    }
    InstallResult invalid(const std::string& message)
    {
        return fail(InstallResult::InvalidDefinition, message);
    }

    // 0. Where things go; the run's state starts afresh.
    void prepare()
    {
        m_programsFolder = SetupProgramsFolder();
        m_desktopFolder = SetupDesktopFolder();
        m_systemFolder = qm::GetSpecialFolder(qm::SpecialFolder::System);
        while (m_job.installDir.size() > 1 && m_job.installDir.back() == '/')
            m_job.installDir.pop_back();
        m_menuFolder = m_programsFolder + "/" + kToolsFolderName;
        m_exePath = m_job.installDir + "/" + m_job.exeFile;
        m_run.totalBytes = 0;
        m_run.uninstallerInstalled = false;
        m_run.importOk = false;
        m_run.importMessage.clear();
        if (m_progress.hasProgressBar() && m_run.moduleIndex == 0)
            m_progress.showProgressBar(true);
    }

    // What the description asks for is checked before anything is made.
    InstallResult checkDescription()
    {
        const qm::ProfileFile def(m_job.moduleFile);
        std::vector<std::string>* lists[3] = {&m_files, &m_mkdirs, &m_extensions};
        const char* listNames[3] = {"Files", "MkDirs", "Extensions"};
        for (int l = 0; l < 3; ++l) {
            if (def.integer(listNames[l], "Num", 0) > qm::ProfileFile::kListMax)
                return invalid("Section " + std::string(listNames[l]) + " of\n" + m_job.moduleFile +
                               "\nlists more than " + std::to_string(qm::ProfileFile::kListMax) +
                               " entries.");
            *lists[l] = def.list(listNames[l], "");
        }
        // Without a name there is no record to write, and so no uninstall.
        if (m_job.registryName.empty())
            return invalid("The description file\n" + m_job.moduleFile +
                           "\nnames no module: \"Desc\" of section \"Module\" is empty.");
        for (int l = 0; l < 2; ++l) {
            for (std::string& entry : *lists[l]) {
                entry = NativeRelativePath(entry);
                if (!IsContainedRelativePath(entry))
                    return invalid("The entry \"" + entry + "\" of section " + listNames[l] +
                                   " in\n" + m_job.moduleFile + "\nleaves the target folder.");
            }
        }
        bool badKey = breaksKeyName(m_job.registryName);
        for (const std::string& ext : m_extensions)
            badKey = badKey || breaksKeyName(ext);
        if (badKey)
            return invalid("The module name or a file extension in\n" + m_job.moduleFile +
                           "\ncontains a line break, \"[\", \"]\", a backslash or a double "
                           "quote, which cannot be registered.");
        for (const std::string* text :
             {&m_job.coder, &m_job.date, &m_job.version, &m_job.exeFile, &m_job.installDir}) {
            if (hasLineBreak(*text))
                return invalid("A text to be registered contains a line break:\n" + *text);
        }
        if (const std::string tooLong = overlongName(); !tooLong.empty())
            return invalid("The name\n" + tooLong + "\nof a file to be made from\n" +
                           m_job.moduleFile + "\nis longer than " +
                           std::to_string(kMaxFileNameBytes) + " bytes.");
        if (m_job.installDir.empty() || m_job.installDir[0] != '/')
            return fail(InstallResult::DirectoryFailed,
                        "Could not create directory\n" + m_job.installDir +
                            "\nThe target folder must be a full path.");
        if (!IsValidTargetFolder(m_job.installDir))
            return fail(InstallResult::DirectoryFailed,
                        "Could not create directory\n" + m_job.installDir);
        return InstallResult::Ok;
    }

    // The first name of a file or folder the install would make that no file
    // system takes; found now, not after the copy.
    std::string overlongName() const
    {
        for (const auto* list : {&m_files, &m_mkdirs})
            for (const std::string& entry : *list)
                if (std::string part = OverlongNamePart(entry); !part.empty())
                    return part;
        for (const std::string& path :
             {InstalledDescriptionPath(m_job.installDir, m_job.registryName),
              shortcutFile(m_menuFolder, ShortcutName(m_job.registryName))})
            if (const std::string name = qm::fs::FileNameOf(path); name.size() > kMaxFileNameBytes)
                return name;
        return {};
    }

    // 1. Update check (a kit checks itself once instead).
    InstallResult checkForUpdate()
    {
        if (!m_job.checkForUpdates || m_run.kitMode)
            return InstallResult::Ok;
        // The check keeps its reply in the target folder; a failed install
        // takes the folder back when nothing else is in it.
        m_journal.makeFolders(m_job.installDir);
        const UpdateCheckOutcome o =
            CheckModuleUpdate(m_job.webName, m_job.version, m_job.installDir, m_progress,
                              m_run.statusPrefix, &m_run.errorText);
        if (o == UpdateCheckOutcome::DirectoryFailed)
            return InstallResult::DirectoryFailed;
        if (o == UpdateCheckOutcome::CloseSetup)
            return InstallResult::ClosedByUser;
        return InstallResult::Ok;
    }

    // 2. Every source file must be there before anything is made.
    InstallResult findSources()
    {
        status("Preparing copy process...");
        for (const std::string& entry : m_files) {
            const std::string source = m_job.sourceFolder + "/" + entry;
            int64_t size = 0;
            if (!SourceFileSize(source, &size))
                return fail(InstallResult::SourceMissing, "Could not open source file\n" + source);
            m_run.totalBytes += size;
        }
        return InstallResult::Ok;
    }

    // 3. Folders: the target, its listed sub-folders and the shortcuts' folders.
    InstallResult makeFolders()
    {
        status("Creating directories...");
        std::vector<std::string> folders{m_job.installDir};
        for (const std::string& entry : m_mkdirs)
            folders.push_back(m_job.installDir + "/" + entry);
        if (m_job.createStartMenuShortcut)
            folders.push_back(m_menuFolder);
        // A desktop that does not exist yet is made, as the menu folder is.
        if (m_job.createDesktopShortcut && hasProgram() && !m_desktopFolder.empty())
            folders.push_back(m_desktopFolder);
        for (const std::string& folder : folders)
            if (!m_journal.makeFolders(folder))
                return fail(InstallResult::DirectoryFailed,
                            "Could not create directory\n" + folder);
        return InstallResult::Ok;
    }

    // 4. Files, with the description the uninstaller goes by.
    InstallResult copyFiles()
    {
        status("Copying files...");
        m_progress.setProgressRange(m_run.moduleCount * 1000);
        int64_t bytesDone = 0;
        for (const std::string& entry : m_files) {
            const std::string source = m_job.sourceFolder + "/" + entry;
            const std::string destination = m_job.installDir + "/" + entry;
            int64_t size = 0;
            if (!SourceFileSize(source, &size))
                return fail(InstallResult::SourceMissing, "Could not open source file\n" + source);
            bytesDone += size;
            if (!copy(source, destination))
                return fail(InstallResult::CopyFailed, "Could not copy source file\n" + source +
                                                           "\nto destination\n" + destination);
            // Each module owns 1000 steps; a module of empty files fills its range.
            const int64_t part = m_run.totalBytes > 0 ? bytesDone * 1000 / m_run.totalBytes : 1000;
            m_progress.setProgressPosition(m_run.moduleIndex * 1000 + static_cast<int>(part));
            m_progress.repaint();
        }
        const std::string kept = InstalledDescriptionPath(m_job.installDir, m_job.registryName);
        if (!copy(m_job.moduleFile, kept))
            return fail(InstallResult::CopyFailed, "Could not copy source file\n" +
                                                       m_job.moduleFile + "\nto destination\n" +
                                                       kept);
        return InstallResult::Ok;
    }

    // An installed file never keeps set-id or group/other write bits; it
    // reaches the disk before the record (writeRecord syncs them together).
    bool copy(const std::string& source, const std::string& destination)
    {
        return m_journal.willWrite(destination) &&
               qm::fs::CopyFileAtomic(source, destination, {qm::fs::CopyMode::Installed, false});
    }

    // 5. The script file is prepared now; it is saved and imported at the end.
    InstallResult startScript()
    {
        status("Updating registry...");
        m_scriptPath = m_job.installDir + "/_setup.reg";
        m_script.emplace(m_scriptPath, qm::fs::SaveOptions{0644, true, true});
        if (!m_script->isOpen() || qm::fs::IsFolder(m_scriptPath) ||
            !m_journal.willWrite(m_scriptPath))
            return fail(InstallResult::ScriptFailed,
                        "Could not create temporary setup file\n" + m_scriptPath);
        m_text.key(std::string("HKEY_LOCAL_MACHINE\\") + kToolsKey + "\\" + m_job.registryName)
            .dword("Build", static_cast<uint32_t>(BuildNumberOf(m_job.version)), kShort)
            .string("Coder", m_job.coder)
            .string("Date", m_job.date)
            .string("EXE", m_exePath)
            .string("EXEName", m_job.exeFile)
            .string("Path", m_job.installDir)
            .string("Version", m_job.version);
        m_text.key(std::string("HKEY_LOCAL_MACHINE\\") + kLastSetupKey)
            .string("SetupDrive", m_job.installDir.substr(0, 2))
            .dword("CreateShortcut_StartMenu", m_job.createStartMenuShortcut, kShort)
            .dword("CreateShortcut_Desktop", m_job.createDesktopShortcut, kShort)
            .dword("AssociateFileExtensions", m_job.associateExtensions, kShort)
            .dword("CheckForUpdates", m_job.checkForUpdates, kShort);
        return InstallResult::Ok;
    }

    // 6. Shortcuts; neither can fail the install.
    InstallResult makeShortcuts()
    {
        status("Creating shortcuts...");
        const std::string name = ShortcutName(m_job.registryName);
        if (m_job.createStartMenuShortcut && hasProgram())
            shortcut(m_menuFolder, name);
        if (m_job.createDesktopShortcut && hasProgram())
            shortcut(m_desktopFolder, name);
        return InstallResult::Ok;
    }

    void shortcut(const std::string& folder, const std::string& name)
    {
        if (m_journal.willWrite(shortcutFile(folder, name)))
            qm::CreateShortcutSetup(folder, m_exePath, "", name);
    }

    // A module without a program (a library) has nothing to start.
    bool hasProgram() const { return !m_job.exeFile.empty(); }

    // 7. File associations.
    InstallResult registerExtensions()
    {
        if (!m_job.associateExtensions)
            return InstallResult::Ok;
        status("Registering file extensions...");
        const std::string progId = ProgIdOf(m_job.registryName);
        const std::string classes = "HKEY_LOCAL_MACHINE\\Software\\Classes\\";
        for (const std::string& ext : m_extensions)
            m_text.key(classes + "." + ext).defaultValue(progId);
        m_text.key(classes + progId);
        m_text.key(classes + progId + "\\shell");
        m_text.key(classes + progId + "\\shell\\open");
        // Quoted as a Windows program's arguments are, so a quote in the folder
        // name survives the way to the desktop's entry.
        m_text.key(classes + progId + "\\shell\\open\\command")
            .defaultValue(qm::QuoteWindowsArgument(m_exePath) + " \"%1\"");
        return InstallResult::Ok;
    }

    // 8. The uninstaller, shared by all modules.
    InstallResult installUninstaller()
    {
        status("Installing uninstaller...");
        const std::string uninstaller = m_systemFolder + "/" + kUninstallerName;
        // The system folder always exists on Windows; ours is made on demand.
        m_journal.makeFolders(m_systemFolder);
        if (!copy(m_job.setupFolder + "/" + kUninstallerName, uninstaller))
            return InstallResult::Ok; // told by the end text, no uninstall entry
        const std::string manifest = uninstaller + ".manifest";
        if (qm::fs::IsRegularFile(m_job.setupFolder + "/" + kUninstallerName + ".manifest"))
            copy(m_job.setupFolder + "/" + kUninstallerName + ".manifest", manifest);
        m_run.uninstallerInstalled = true;
        m_text
            .key("HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\"
                 "Quorvel Manager Tools")
            .string("DisplayName", "Quorvel Manager Tools")
            .string("DisplayIcon", uninstaller + ",0")
            .string("UninstallString", uninstaller)
            .string("HelpLink", UpdateServerBaseUrl() + "/quorman")
            .string("Publisher", "Quorvel Network Team");
        return InstallResult::Ok;
    }

    // 9. The files reach the disk, then the record is written: a record never
    // points at files a power loss could still take. A record the store
    // refuses makes the whole install fail.
    InstallResult writeRecord()
    {
        const std::string text = m_text.text();
        if (!m_script->write(text) || !m_script->commit())
            return fail(InstallResult::ScriptFailed,
                        "Could not create temporary setup file\n" + m_scriptPath);
        m_script.reset();
        syncWritten();
        const qm::ScriptResult imported = qm::ImportRegistryScriptFile(m_scriptPath);
        m_run.importOk = imported.ok;
        m_run.importMessage = imported.message;
        if (!imported.ok)
            return fail(InstallResult::RecordFailed,
                        "Could not write the installation record:\n" + imported.message);
        return InstallResult::Ok;
    }

    void syncWritten()
    {
        std::set<std::string> folders;
        for (const std::string& path : m_journal.written()) {
            qm::fs::SyncPath(path);
            folders.insert(qm::fs::FolderOf(path));
        }
        // A new folder's own entry lives in its parent.
        for (const std::string& folder : m_journal.madeFolders()) {
            folders.insert(folder);
            folders.insert(qm::fs::FolderOf(folder));
        }
        for (const std::string& folder : folders)
            qm::fs::SyncPath(folder);
    }

    // 10. Done.
    void finish()
    {
        status("Installation completed successfully!");
        m_progress.setResultText(
            m_run.uninstallerInstalled
                ? "To uninstall the application later, use \"Add/Remove Programs\" (called "
                  "\"Software\" in most non-English Windows versions) in the Windows Control "
                  "Panel and find \"Quorvel Manager Tools\" there."
                : "However, an error occured while trying to install the uninstaller utility, "
                  "so uninstallation will probably not available.");
        if (!m_run.kitMode) {
            m_progress.showProgressBar(false);
            m_progress.enableFinish();
        }
        m_progress.repaint();
    }

    static constexpr auto kShort = qm::RegistryScript::Digits::Shortest;

    ModuleJob m_job;
    InstallRun& m_run;
    InstallProgress& m_progress;
    std::string m_programsFolder, m_desktopFolder, m_systemFolder, m_menuFolder, m_exePath;
    std::vector<std::string> m_files, m_mkdirs, m_extensions;
    InstallJournal m_journal;
    std::string m_scriptPath;
    std::optional<qm::fs::AtomicSave> m_script;
    qm::RegistryScript m_text;
};

} // namespace

ModuleJob MakeModuleJob(const Distribution& distribution, const ModuleDescription& module,
                        const SetupOptions& options)
{
    return jobFor(module, distribution.setupFolder, distribution.setupFolder,
                  distribution.moduleFile, options.targetFolder, options.createShortcutStartMenu,
                  options.createShortcutDesktop, options.associateFileExtensions,
                  options.checkForUpdates);
}

ModuleJob MakeKitModuleJob(const KitJob& kit, const ModuleEntry& entry)
{
    return jobFor(LoadKitModuleForInstall(entry.sourceFolder), entry.sourceFolder, kit.setupFolder,
                  entry.sourceFolder + "/" + kModuleFileName, entry.targetFolder,
                  entry.createShortcutStartMenu, entry.createShortcutDesktop,
                  entry.associateFileExtensions, kit.checkForUpdates);
}

InstallResult InstallModule(const ModuleJob& job, InstallRun& run, InstallProgress& progress)
{
    return Installer(job, run, progress).run();
}

bool RunSingleModuleInstall(const ModuleJob& job, InstallRun& run, InstallProgress& progress)
{
    const InstallResult r = InstallModule(job, run, progress);
    if (r == InstallResult::Ok)
        return true;
    if (r != InstallResult::ClosedByUser)
        ++run.failedModules;
    if (r != InstallResult::ClosedByUser)
        progress.message(
            "Setup failed", "Setup has failed due to the following error:\n\n" + run.errorText,
            SetupMessages::Buttons::Ok, SetupMessages::Answer::Ok, SetupMessages::Icon::None);
    return false;
}

bool InstallKit(const KitJob& kit, InstallRun& run, InstallProgress& progress)
{
    run.kitMode = true;
    if (kit.checkForUpdates &&
        CheckKitUpdate(kit.header.webName, kit.header.version, kit.header.versionBuild, progress) ==
            UpdateCheckOutcome::CloseSetup)
        return false;

    const size_t count = std::min(kit.modules.size(), static_cast<size_t>(kMaxKitModules));
    run.moduleIndex = 0;
    run.moduleCount = 0;
    for (size_t i = 0; i < count; ++i)
        run.moduleCount += kit.modules[i].selected ? 1 : 0;
    std::string errors;

    for (size_t i = 0; i < count; ++i) {
        const ModuleEntry& entry = kit.modules[i];
        progress.setResultText("");
        const ModuleJob job = MakeKitModuleJob(kit, entry);
        run.statusPrefix = job.longName + ": ";
        if (!entry.selected)
            continue;
        const InstallResult r = InstallModule(job, run, progress);
        if (r == InstallResult::ClosedByUser)
            return false;
        if (r != InstallResult::Ok) {
            errors += run.statusPrefix + run.errorText + "\n";
            ++run.failedModules;
        }
        ++run.moduleIndex;
    }

    run.statusPrefix.clear();
    if (!errors.empty()) {
        progress.setStatus(
            "One or multiple modules could not be installed. See below for details.");
        progress.setResultText(errors);
    } else if (run.moduleCount == 0) {
        progress.setStatus(
            "There was nothing selected, so no changes have been made on your system.");
        progress.setResultText("Re-run setup to want to install, update or repair any modules.");
    } else {
        progress.setStatus("Installation of all modules completed successfully.");
        progress.setResultText(
            "To uninstall any of the applications later, use \"Add/Remove Programs\" (called "
            "\"Software\" in most non-English Windows versions) in the Windows Control Panel and "
            "find \"Quorvel Manager Tools\" there.");
    }
    progress.showProgressBar(false);
    progress.enableFinish();
    progress.repaint();
    return true;
}

} // namespace qmsetup
