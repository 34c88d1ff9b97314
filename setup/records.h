#pragma once

#include "setup/progress.h"

#include <cstdint>
#include <string>

namespace qmsetup {

inline constexpr const char* kToolsKey = "Software\\Quorvel Network\\Quorvel Manager Tools";
inline constexpr const char* kLastSetupKey = "Software\\Quorvel Network\\Last Setup Settings";
inline constexpr const char* kSetupCaption = "Quorvel Manager Setup";

// Build number of a version text: the leading number after the first
// "Build " (case-sensitive), trailing blanks and ")" removed; 0 otherwise.
int BuildNumberOf(const std::string& versionText);

// An installed module's record (HKLM, kToolsKey + "\" + display name).
struct InstalledModuleRecord {
    int32_t build = 0; // "Build", the caller's default when missing
    std::string coder, date, exe, exeName, path, version;
};
InstalledModuleRecord ReadInstalledModuleRecord(const std::string& displayName,
                                                int32_t missingBuild);

struct LastSetupSettings {
    std::string setupDrive;
    bool createShortcutStartMenu = true;
    bool createShortcutDesktop = false;
    bool associateFileExtensions = true;
    bool checkForUpdates = true;
};
LastSetupSettings ReadLastSetupSettings();

struct SetupOptions {
    std::string targetFolder;
    bool createShortcutStartMenu = true;
    bool createShortcutDesktop = false;
    bool associateFileExtensions = true;
    bool checkForUpdates = true;
};
// The flags from the last run, the target folder from "DefaultDirectory".
SetupOptions LoadSetupOptions(const std::string& defaultDirectory);

enum class ModuleState {
    NotInstalled = 1,
    UpdateInPlace = 2,
    UpdateToNewFolder = 3,
    SameVersion = 4,
    NewInstance = 5,
    NewerInstalled = 6,
    OlderToNewFolder = 7,
};

struct ModuleEntry {
    std::string sourceFolder;
    std::string name, longName, displayName;
    std::string targetFolder;
    std::string versionText;
    int build = 0;
    ModuleState state = ModuleState::NotInstalled;
    bool selected = true;
    std::string installedVersion;
    int32_t installedBuild = -1;
    std::string installedPath;
    bool createShortcutStartMenu = true;
    bool createShortcutDesktop = false;
    bool associateFileExtensions = true;
};

// The kit rule: fills an entry from its module folder, the last settings and
// the record of its display name.
ModuleEntry ClassifyKitModule(const std::string& sourceFolder);
// The same on values already read (what the kit page would read).
void ClassifyKitModule(ModuleEntry& entry, const std::string& defaultDirectory,
                       const LastSetupSettings& last);

// A folder as setup compares folders: lower-cased, trailing separators removed.
std::string FolderCompareKey(const std::string& folder);

// After a confirmed configuration: the entry takes the new folder (the flags
// are set by the caller) and its state follows.
void ReclassifyKitModule(ModuleEntry& entry, const std::string& newTargetFolder);

enum class SetupPagePresentation { FreshInstall, Update, SameVersion, Cancelled };
struct SetupPageDecision {
    SetupPagePresentation presentation = SetupPagePresentation::FreshInstall;
    std::string targetFolder; // the folder the page shows afterwards
    std::string text;         // the update or repair text; empty for a fresh install
};

// The comparison of the setup page (and the configure dialog): this build and
// version against the installed record. A record without "Path" counts as not
// installed. A downgrade asks through messages; No gives Cancelled.
SetupPageDecision CompareForSetupPage(const std::string& thisVersion,
                                      const InstalledModuleRecord& installed,
                                      const std::string& currentTarget, SetupMessages& messages);
// The same, reading the record of displayName (missing "Build" is 0).
SetupPageDecision CompareForSetupPage(const std::string& thisVersion,
                                      const std::string& displayName,
                                      const std::string& currentTarget, SetupMessages& messages);

} // namespace qmsetup
