#pragma once

#include <string>
#include <vector>

namespace qmsetup {

inline constexpr const char* kKitFileName = "qm_kit.dat";
inline constexpr const char* kModuleFileName = "qm_modul.dat";
// The kit's module table has this many places; further "Modules" entries are ignored.
inline constexpr int kMaxKitModules = 128;

enum class SetupMode { Kit, SingleModule };

struct Distribution {
    SetupMode mode = SetupMode::SingleModule;
    std::string setupFolder; // the program's own folder, no trailing separator
    std::string kitFile;     // setupFolder + "/qm_kit.dat"
    std::string moduleFile;  // setupFolder + "/qm_modul.dat"
};

struct LocateResult {
    bool ok = false;
    Distribution distribution;
    std::string fatalMessage; // when !ok: the text of the warning box
};

// Kit first, then single module, else the fatal message. programPath is the
// setup program's own full path.
LocateResult LocateDistribution(const std::string& programPath);

// A file "exists" for setup when it is a regular file that opens for reading.
bool SetupFileExists(const std::string& path);

struct KitHeader {
    std::string version;  // "General" "Version"
    int versionBuild = 0; // "General" "VersionBuild"
    std::string webName;  // "General" "WebName"
};
KitHeader LoadKitHeader(const std::string& kitFile);

// The "Module" and "Installation" texts of one description file.
struct ModuleDescription {
    std::string name, longName, desc, vers, date, coder, webName;
    std::string exeFile, defaultDirectory;
};

// Single-module start, setup page, configure dialog and install: empty default.
ModuleDescription LoadSingleModule(const std::string& moduleFile);
// The kit page: Name, Long, Desc, Vers and DefaultDirectory with default "$".
ModuleDescription LoadKitModuleForPage(const std::string& sourceFolder);
// The kit install: Name, Long, Desc, Vers, Date, Coder, WebName, EXEfile, empty default.
ModuleDescription LoadKitModuleForInstall(const std::string& sourceFolder);

// The module source folders of a kit: setup folder + "/" + each "Modules"
// entry (default "$"), at most kMaxKitModules of them.
std::vector<std::string> KitModuleFolders(const Distribution& distribution);

// "~/..." → home + "/..." (DefaultDirectory is read through this).
std::string ExpandHomePrefix(const std::string& path);
// A relative path of a description file in native form: "\" separators become "/".
std::string NativeRelativePath(const std::string& entry);

} // namespace qmsetup
