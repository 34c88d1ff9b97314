#pragma once

#include "setup/definition_files.h"
#include "setup/progress.h"
#include "setup/records.h"

#include <cstdint>
#include <string>
#include <vector>

namespace qmsetup {

enum class InstallResult {
    Ok = 0,
    SourceMissing = 1,
    CopyFailed = 2,
    DirectoryFailed = 3,
    ScriptFailed = 4,
    ClosedByUser = 6,
    // The description file asks for something setup refuses to do (a name that
    // would break the registry script, a path leaving the target folder, a
    // list too long); found before anything is created.
    InvalidDefinition = 7,
    // The store refused the record (not writable, full, not a store): the
    // module's files are put back as they were before the run.
    RecordFailed = 8,
};

// The settings of the module being installed.
struct ModuleJob {
    std::string sourceFolder;
    std::string setupFolder;
    std::string moduleFile; // sourceFolder + "/qm_modul.dat"
    std::string name, longName, registryName, version, date, coder, webName, exeFile;
    std::string installDir;
    bool createStartMenuShortcut = true;
    bool createDesktopShortcut = false;
    bool associateExtensions = true;
    bool checkForUpdates = true;
};

// Single module: the job from its description file and the page's options.
ModuleJob MakeModuleJob(const Distribution& distribution, const ModuleDescription& module,
                        const SetupOptions& options);

// The state of the progress page that the procedure reads and writes.
struct InstallRun {
    bool kitMode = false;
    int moduleIndex = 0;
    int moduleCount = 1;
    int64_t totalBytes = 0;
    bool uninstallerInstalled = false;
    std::string errorText;
    std::string statusPrefix;
    // Not shown to the user (the registry editor's result is not either); kept
    // for diagnostics.
    bool importOk = false;
    std::string importMessage;
    // Modules of this run that failed (not counting one the user closed).
    int failedModules = 0;
};

InstallResult InstallModule(const ModuleJob& job, InstallRun& run, InstallProgress& progress);

// What the single-module progress page does with the result: Ok leaves it
// open with Finish enabled (true); any failure shows "Setup failed" (except
// ClosedByUser) and the page closes as cancelled (false).
bool RunSingleModuleInstall(const ModuleJob& job, InstallRun& run, InstallProgress& progress);

struct KitJob {
    std::string setupFolder;
    KitHeader header;
    std::vector<ModuleEntry> modules; // kit order, at most kMaxKitModules
    bool checkForUpdates = true;
};

// A kit module's job: its description read with the empty default, the
// target and options of its entry, the kit's update-check flag.
ModuleJob MakeKitModuleJob(const KitJob& kit, const ModuleEntry& entry);

// Installs every selected module in turn and shows the summary. False when the
// page is to be closed as cancelled (the update check or a module asked to
// end setup).
bool InstallKit(const KitJob& kit, InstallRun& run, InstallProgress& progress);

// Lower-case hexadecimal without leading zeros (0 gives "0").
std::string BuildHex(int build);

// The start-menu folder of the suite's shortcuts, below the programs folder.
inline constexpr const char* kToolsFolderName = "Quorvel Manager Tools";
// The uninstaller, copied from the setup folder into the system folder.
#ifdef _WIN32
inline constexpr const char* kUninstallerName = "uninstqm.exe";
#else
inline constexpr const char* kUninstallerName = "uninstqm";
#endif

// Where the shortcuts go: the all-users folder, else the user's own.
std::string SetupProgramsFolder();
std::string SetupDesktopFolder();

// The file name (without ".desktop") of a module's shortcuts.
std::string ShortcutName(const std::string& registryName);
// The file type name of a module's extensions: blanks become ".".
std::string ProgIdOf(const std::string& registryName);
// Where the install keeps a copy of the module's description, so the
// uninstaller knows which files of the folder are the module's. Named after
// the module, as several modules may share one folder.
std::string InstalledDescriptionPath(const std::string& installDir,
                                     const std::string& registryName);

} // namespace qmsetup
