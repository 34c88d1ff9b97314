#include "setup/install.h"

#include "common/profile.h"
#include "common/registry_script.h"
#include "common/shortcut.h"
#include "platform/special_folders.h"
#include "setup/file_ops.h"
#include "setup/update_check.h"

#include <cstdio>

namespace qmsetup {

namespace {

std::string E(const std::string& s)
{
    return qm::EscapeRegString(s);
}

bool hasLineBreak(const std::string& s)
{
    return s.find_first_of("\r\n") != std::string::npos;
}

// Characters that would end a key line or reach another key.
bool breaksKeyName(const std::string& s)
{
    return s.find_first_of("\r\n[]\\\"") != std::string::npos;
}

// The registry script, written row by row as in text mode: each row ends in CR LF.
class ScriptWriter {
public:
    explicit ScriptWriter(const std::string& path) : m_file(std::fopen(path.c_str(), "wb")) {}
    ~ScriptWriter()
    {
        if (m_file)
            std::fclose(m_file);
    }
    ScriptWriter(const ScriptWriter&) = delete;
    ScriptWriter& operator=(const ScriptWriter&) = delete;

    bool opened() const { return m_file != nullptr; }
    void row(const std::string& text)
    {
        if (std::fwrite(text.data(), 1, text.size(), m_file) != text.size() ||
            std::fwrite("\r\n", 1, 2, m_file) != 2)
            m_ok = false;
    }
    // True when every row reached the file.
    bool close()
    {
        const bool closed = std::fclose(m_file) == 0;
        m_file = nullptr;
        return closed && m_ok;
    }

private:
    FILE* m_file;
    bool m_ok = true;
};

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
    for (char& c : name)
        if (c == '/')
            c = '-';
    return name;
}

std::string ProgIdOf(const std::string& registryName)
{
    std::string progId = registryName;
    for (char& c : progId)
        if (c == ' ')
            c = '.';
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

ModuleJob MakeModuleJob(const Distribution& distribution, const ModuleDescription& module,
                        const SetupOptions& options)
{
    ModuleJob job;
    job.sourceFolder = distribution.setupFolder;
    job.setupFolder = distribution.setupFolder;
    job.moduleFile = distribution.moduleFile;
    job.name = module.name;
    job.longName = module.longName;
    job.registryName = module.desc;
    job.version = module.vers;
    job.date = module.date;
    job.coder = module.coder;
    job.webName = module.webName;
    job.exeFile = module.exeFile;
    job.installDir = options.targetFolder;
    job.createStartMenuShortcut = options.createShortcutStartMenu;
    job.createDesktopShortcut = options.createShortcutDesktop;
    job.associateExtensions = options.associateFileExtensions;
    job.checkForUpdates = options.checkForUpdates;
    return job;
}

InstallResult InstallModule(const ModuleJob& jobIn, InstallRun& run, InstallProgress& progress)
{
    ModuleJob job = jobIn;
    const auto status = [&](const std::string& text) {
        progress.setStatus(run.statusPrefix + text);
        progress.repaint();
    };
    const auto fail = [&](InstallResult r, const std::string& message) {
        run.errorText = message;
        return r;
    };

    // 0. Preparation.
    const std::string programsFolder = SetupProgramsFolder();
    const std::string desktopFolder = SetupDesktopFolder();
    const std::string systemFolder = qm::GetSpecialFolder(qm::SpecialFolder::System);
    while (job.installDir.size() > 1 && job.installDir.back() == '/')
        job.installDir.pop_back();
    run.totalBytes = 0;
    run.uninstallerInstalled = false;
    run.importOk = false;
    run.importMessage.clear();
    if (progress.hasProgressBar() && run.moduleIndex == 0)
        progress.showProgressBar(true);

    // What the description file asks for is checked before anything is made.
    const qm::ProfileFile def(job.moduleFile);
    std::vector<std::string> lists[3];
    const char* listNames[3] = {"Files", "MkDirs", "Extensions"};
    for (int l = 0; l < 3; ++l) {
        if (def.integer(listNames[l], "Num", 0) > qm::ProfileFile::kListMax)
            return fail(InstallResult::InvalidDefinition,
                        "Section " + std::string(listNames[l]) + " of\n" + job.moduleFile +
                            "\nlists more than " + std::to_string(qm::ProfileFile::kListMax) +
                            " entries.");
        lists[l] = def.list(listNames[l], "");
    }
    std::vector<std::string>& files = lists[0];
    std::vector<std::string>& mkdirs = lists[1];
    const std::vector<std::string>& extensions = lists[2];
    for (int l = 0; l < 2; ++l) {
        for (std::string& entry : lists[l]) {
            entry = NativeRelativePath(entry);
            if (!IsContainedRelativePath(entry))
                return fail(InstallResult::InvalidDefinition,
                            "The entry \"" + entry + "\" of section " + listNames[l] + " in\n" +
                                job.moduleFile + "\nleaves the target folder.");
        }
    }
    bool badKey = breaksKeyName(job.registryName);
    for (const std::string& ext : extensions)
        badKey = badKey || breaksKeyName(ext);
    if (badKey)
        return fail(InstallResult::InvalidDefinition,
                    "The module name or a file extension in\n" + job.moduleFile +
                        "\ncontains a line break, \"[\", \"]\", a backslash or a double quote, "
                        "which cannot be registered.");
    for (const std::string* text :
         {&job.coder, &job.date, &job.version, &job.exeFile, &job.installDir}) {
        if (hasLineBreak(*text))
            return fail(InstallResult::InvalidDefinition,
                        "A text to be registered contains a line break:\n" + *text);
    }
    if (!IsValidTargetFolder(job.installDir))
        return fail(InstallResult::DirectoryFailed,
                    "Could not create directory\n" + job.installDir);

    // 1. Update check (a kit checks itself once instead).
    if (job.checkForUpdates && !run.kitMode) {
        const UpdateCheckOutcome o = CheckModuleUpdate(job.webName, job.version, job.installDir,
                                                       progress, run.statusPrefix, &run.errorText);
        if (o == UpdateCheckOutcome::DirectoryFailed)
            return InstallResult::DirectoryFailed;
        if (o == UpdateCheckOutcome::CloseSetup)
            return InstallResult::ClosedByUser;
    }

    // 2. Every source file must be there before anything is made.
    status("Preparing copy process...");
    for (const std::string& entry : files) {
        const std::string source = job.sourceFolder + "/" + entry;
        int64_t size = 0;
        if (!SourceFileSize(source, &size))
            return fail(InstallResult::SourceMissing, "Could not open source file\n" + source);
        run.totalBytes += size;
    }

    // 3. Folders.
    status("Creating directories...");
    if (!MakeDirectoryPath(job.installDir))
        return fail(InstallResult::DirectoryFailed,
                    "Could not create directory\n" + job.installDir);
    for (const std::string& entry : mkdirs) {
        const std::string dir = job.installDir + "/" + entry;
        if (!MakeDirectoryPath(dir))
            return fail(InstallResult::DirectoryFailed, "Could not create directory\n" + dir);
    }
    const std::string menuFolder = programsFolder + "/" + kToolsFolderName;
    if (job.createStartMenuShortcut && !MakeDirectoryPath(menuFolder))
        return fail(InstallResult::DirectoryFailed, "Could not create directory\n" + menuFolder);

    // 4. Files.
    status("Copying files...");
    progress.setProgressRange(run.moduleCount * 1000);
    int64_t bytesDone = 0;
    for (const std::string& entry : files) {
        const std::string source = job.sourceFolder + "/" + entry;
        const std::string destination = job.installDir + "/" + entry;
        int64_t size = 0;
        if (!SourceFileSize(source, &size))
            return fail(InstallResult::SourceMissing, "Could not open source file\n" + source);
        bytesDone += size;
        if (!CopyFileAtomic(source, destination))
            return fail(InstallResult::CopyFailed, "Could not copy source file\n" + source +
                                                       "\nto destination\n" + destination);
        // Each module owns 1000 steps; a module of empty files fills its range.
        const int64_t part = run.totalBytes > 0 ? bytesDone * 1000 / run.totalBytes : 1000;
        progress.setProgressPosition(run.moduleIndex * 1000 + static_cast<int>(part));
        progress.repaint();
    }
    // The uninstaller removes the files this copy lists, and nothing else.
    const std::string keptDescription = InstalledDescriptionPath(job.installDir, job.registryName);
    if (!CopyFileAtomic(job.moduleFile, keptDescription))
        return fail(InstallResult::CopyFailed, "Could not copy source file\n" + job.moduleFile +
                                                   "\nto destination\n" + keptDescription);

    // 5. The registry script: created now, imported at the end.
    status("Updating registry...");
    const std::string scriptPath = job.installDir + "/_setup.reg";
    ScriptWriter script(scriptPath);
    if (!script.opened())
        return fail(InstallResult::ScriptFailed,
                    "Could not create temporary setup file\n" + scriptPath);
    const std::string exePath = job.installDir + "/" + job.exeFile;
    script.row("REGEDIT4");
    script.row("");
    script.row(std::string("[HKEY_LOCAL_MACHINE\\") + kToolsKey + "\\" + job.registryName + "]");
    script.row("\"Build\"=dword:" + BuildHex(BuildNumberOf(job.version)));
    script.row("\"Coder\"=\"" + E(job.coder) + "\"");
    script.row("\"Date\"=\"" + E(job.date) + "\"");
    script.row("\"EXE\"=\"" + E(exePath) + "\"");
    script.row("\"EXEName\"=\"" + E(job.exeFile) + "\"");
    script.row("\"Path\"=\"" + E(job.installDir) + "\"");
    script.row("\"Version\"=\"" + E(job.version) + "\"");
    script.row("");
    script.row(std::string("[HKEY_LOCAL_MACHINE\\") + kLastSetupKey + "]");
    script.row("\"SetupDrive\"=\"" + E(job.installDir.substr(0, 2)) + "\"");
    script.row(std::string("\"CreateShortcut_StartMenu\"=dword:") +
               (job.createStartMenuShortcut ? "1" : "0"));
    script.row(std::string("\"CreateShortcut_Desktop\"=dword:") +
               (job.createDesktopShortcut ? "1" : "0"));
    script.row(std::string("\"AssociateFileExtensions\"=dword:") +
               (job.associateExtensions ? "1" : "0"));
    script.row(std::string("\"CheckForUpdates\"=dword:") + (job.checkForUpdates ? "1" : "0"));
    script.row("");

    // 6. Shortcuts; neither can fail the install.
    status("Creating shortcuts...");
    // A module without a program (a library) has nothing to start.
    const bool hasProgram = !job.exeFile.empty();
    if (job.createStartMenuShortcut && hasProgram)
        qm::CreateShortcutSetup(menuFolder, exePath, "", ShortcutName(job.registryName));
    if (job.createDesktopShortcut && hasProgram)
        qm::CreateShortcutSetup(desktopFolder, exePath, "", ShortcutName(job.registryName));

    // 7. File associations.
    if (job.associateExtensions) {
        status("Registering file extensions...");
        const std::string progId = ProgIdOf(job.registryName);
        const std::string classes = "[HKEY_LOCAL_MACHINE\\Software\\Classes\\";
        for (const std::string& ext : extensions) {
            script.row(classes + "." + ext + "]");
            script.row("@=\"" + E(progId) + "\"");
            script.row("");
        }
        script.row(classes + progId + "]");
        script.row("");
        script.row(classes + progId + "\\shell]");
        script.row("");
        script.row(classes + progId + "\\shell\\open]");
        script.row("");
        script.row(classes + progId + "\\shell\\open\\command]");
        script.row("@=\"" + E("\"" + exePath + "\" \"%1\"") + "\"");
        script.row("");
    }

    // 8. The uninstaller, shared by all modules.
    status("Installing uninstaller...");
    const std::string uninstaller = systemFolder + "/" + kUninstallerName;
    // The system folder always exists on Windows; ours is made on demand.
    MakeDirectoryPath(systemFolder);
    if (CopyFileAtomic(job.setupFolder + "/" + kUninstallerName, uninstaller)) {
        CopyFileAtomic(job.setupFolder + "/" + kUninstallerName + ".manifest",
                       uninstaller + ".manifest");
        run.uninstallerInstalled = true;
        script.row("[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\"
                   "Quorvel Manager Tools]");
        script.row("\"DisplayName\"=\"Quorvel Manager Tools\"");
        script.row("\"DisplayIcon\"=\"" + E(uninstaller) + ",0\"");
        script.row("\"UninstallString\"=\"" + E(uninstaller) + "\"");
        script.row("\"HelpLink\"=\"" + E(UpdateServerBaseUrl() + "/quorman") + "\"");
        script.row("\"Publisher\"=\"Quorvel Network Team\"");
        script.row("");
    }

    // 9. A script that did not reach the disk whole is not imported.
    if (!script.close())
        return fail(InstallResult::ScriptFailed,
                    "Could not create temporary setup file\n" + scriptPath);
    const qm::ScriptResult imported = qm::ImportRegistryScriptFile(scriptPath);
    run.importOk = imported.ok;
    run.importMessage = imported.message;

    // 10. Done.
    status("Installation completed successfully!");
    progress.setResultText(
        run.uninstallerInstalled
            ? "To uninstall the application later, use \"Add/Remove Programs\" (called "
              "\"Software\" in most non-English Windows versions) in the Windows Control Panel "
              "and find \"Quorvel Manager Tools\" there."
            : "However, an error occured while trying to install the uninstaller utility, so "
              "uninstallation will probably not available.");
    if (!run.kitMode) {
        progress.showProgressBar(false);
        progress.enableFinish();
    }
    progress.repaint();
    return InstallResult::Ok;
}

bool RunSingleModuleInstall(const ModuleJob& job, InstallRun& run, InstallProgress& progress)
{
    const InstallResult r = InstallModule(job, run, progress);
    if (r == InstallResult::Ok)
        return true;
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
        const ModuleDescription d = LoadKitModuleForInstall(entry.sourceFolder);
        ModuleJob job;
        job.sourceFolder = entry.sourceFolder;
        job.setupFolder = kit.setupFolder;
        job.moduleFile = entry.sourceFolder + "/" + kModuleFileName;
        job.name = d.name;
        job.longName = d.longName;
        job.registryName = d.desc;
        job.version = d.vers;
        job.date = d.date;
        job.coder = d.coder;
        job.webName = d.webName;
        job.exeFile = d.exeFile;
        job.installDir = entry.targetFolder;
        job.createStartMenuShortcut = entry.createShortcutStartMenu;
        job.createDesktopShortcut = entry.createShortcutDesktop;
        job.associateExtensions = entry.associateFileExtensions;
        job.checkForUpdates = kit.checkForUpdates;
        run.statusPrefix = d.longName + ": ";
        if (!entry.selected)
            continue;
        const InstallResult r = InstallModule(job, run, progress);
        if (r == InstallResult::ClosedByUser)
            return false;
        if (r != InstallResult::Ok)
            errors += run.statusPrefix + run.errorText + "\n";
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
