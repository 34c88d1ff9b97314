#include "setup/records.h"

#include "common/settings.h"
#include "platform/string_util.h"
#include "setup/definition_files.h"

#include <cctype>
#include <cstdlib>

namespace qmsetup {

using qm::HKEY_LOCAL_MACHINE;

int BuildNumberOf(const std::string& versionText)
{
    const size_t at = versionText.find("Build ");
    if (at == std::string::npos)
        return 0;
    std::string rest = versionText.substr(at + 6);
    while (!rest.empty() && std::isspace(static_cast<unsigned char>(rest.back())))
        rest.pop_back();
    while (!rest.empty() && rest.back() == ')')
        rest.pop_back();
    // strtol's rule: leading white space, one sign, digits; saturated to int.
    const long v = std::strtol(rest.c_str(), nullptr, 10);
    if (v > INT32_MAX)
        return INT32_MAX;
    if (v < INT32_MIN)
        return INT32_MIN;
    return static_cast<int>(v);
}

InstalledModuleRecord ReadInstalledModuleRecord(const std::string& displayName,
                                                int32_t missingBuild)
{
    const std::string key = std::string(kToolsKey) + "\\" + displayName;
    InstalledModuleRecord r;
    r.build = static_cast<int32_t>(
        qm::ReadRegDword(HKEY_LOCAL_MACHINE, key, "Build", static_cast<uint32_t>(missingBuild)));
    r.coder = qm::ReadRegString(HKEY_LOCAL_MACHINE, key, "Coder");
    r.date = qm::ReadRegString(HKEY_LOCAL_MACHINE, key, "Date");
    r.exe = qm::ReadRegString(HKEY_LOCAL_MACHINE, key, "EXE");
    r.exeName = qm::ReadRegString(HKEY_LOCAL_MACHINE, key, "EXEName");
    r.path = qm::ReadRegString(HKEY_LOCAL_MACHINE, key, "Path");
    r.version = qm::ReadRegString(HKEY_LOCAL_MACHINE, key, "Version");
    return r;
}

LastSetupSettings ReadLastSetupSettings()
{
    LastSetupSettings s;
    s.setupDrive = qm::ReadRegString(HKEY_LOCAL_MACHINE, kLastSetupKey, "SetupDrive");
    s.createShortcutStartMenu =
        qm::ReadRegDword(HKEY_LOCAL_MACHINE, kLastSetupKey, "CreateShortcut_StartMenu", 1) != 0;
    s.createShortcutDesktop =
        qm::ReadRegDword(HKEY_LOCAL_MACHINE, kLastSetupKey, "CreateShortcut_Desktop", 0) != 0;
    s.associateFileExtensions =
        qm::ReadRegDword(HKEY_LOCAL_MACHINE, kLastSetupKey, "AssociateFileExtensions", 1) != 0;
    s.checkForUpdates =
        qm::ReadRegDword(HKEY_LOCAL_MACHINE, kLastSetupKey, "CheckForUpdates", 1) != 0;
    return s;
}

SetupOptions LoadSetupOptions(const std::string& defaultDirectory)
{
    const LastSetupSettings last = ReadLastSetupSettings();
    SetupOptions o;
    o.targetFolder = defaultDirectory;
    o.createShortcutStartMenu = last.createShortcutStartMenu;
    o.createShortcutDesktop = last.createShortcutDesktop;
    o.associateFileExtensions = last.associateFileExtensions;
    o.checkForUpdates = last.checkForUpdates;
    return o;
}

namespace {

std::string stripTrailingSeparators(std::string p)
{
    while (!p.empty() && (p.back() == '/' || p.back() == '\\'))
        p.pop_back();
    return p;
}

} // namespace

std::string FolderCompareKey(const std::string& folder)
{
    return qm::asciiLower(stripTrailingSeparators(folder));
}

namespace {

bool isLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

enum class RootKind { None, Separator, Drive };

// How a full path names its root: "/..." or "C:\\..."; None for anything else.
RootKind rootKindOf(const std::string& path)
{
    if (!path.empty() && path[0] == '/')
        return RootKind::Separator;
    if (path.size() >= 3 && isLetter(path[0]) && path[1] == ':' &&
        (path[2] == '\\' || path[2] == '/'))
        return RootKind::Drive;
    return RootKind::None;
}

} // namespace

void ClassifyKitModule(ModuleEntry& e, const std::string& defaultDirectory,
                       const LastSetupSettings& last)
{
    e.build = BuildNumberOf(e.versionText);
    e.targetFolder = defaultDirectory;
    // The drive swap, only from one full path to another: a drive path
    // ("C:\\...") takes the letter of a drive "D:"; a path beginning with the
    // separator meets a "SetupDrive" beginning with it too, and stays. Anything
    // else (a relative folder above all) would become an unrelated path, so
    // it stays as written and the install judges it.
    const RootKind kind = rootKindOf(e.targetFolder);
    if (last.setupDrive.size() == 2 && kind != RootKind::None &&
        rootKindOf(last.setupDrive + "/") == kind)
        e.targetFolder[0] = last.setupDrive[0];
    e.createShortcutStartMenu = last.createShortcutStartMenu;
    e.createShortcutDesktop = last.createShortcutDesktop;
    e.associateFileExtensions = last.associateFileExtensions;

    e.state = ModuleState::NotInstalled;
    e.selected = true;
    if (e.installedPath.empty())
        return;
    if (e.installedBuild < e.build) {
        e.state = ModuleState::UpdateInPlace;
        e.selected = true;
        e.targetFolder = e.installedPath;
    } else if (e.installedBuild > e.build) {
        e.state = ModuleState::NewerInstalled;
        e.selected = false;
        e.targetFolder = stripTrailingSeparators(e.installedPath) + ".OLD";
    } else {
        e.state = ModuleState::SameVersion;
        e.selected = false;
        e.targetFolder = e.installedPath;
    }
}

ModuleEntry ClassifyKitModule(const std::string& sourceFolder)
{
    const ModuleDescription d = LoadKitModuleForPage(sourceFolder);
    ModuleEntry e;
    e.sourceFolder = sourceFolder;
    e.name = d.name;
    e.longName = d.longName;
    e.displayName = d.desc;
    e.versionText = d.vers;
    const InstalledModuleRecord rec = ReadInstalledModuleRecord(d.desc, -1);
    e.installedPath = rec.path;
    e.installedVersion = rec.version;
    e.installedBuild = rec.build;
    ClassifyKitModule(e, d.defaultDirectory, ReadLastSetupSettings());
    return e;
}

void ReclassifyKitModule(ModuleEntry& e, const std::string& newTargetFolder)
{
    e.targetFolder = newTargetFolder;
    const bool same = FolderCompareKey(e.installedPath) == FolderCompareKey(newTargetFolder);
    switch (e.state) {
    case ModuleState::SameVersion:
    case ModuleState::NewInstance:
        e.state = same ? ModuleState::SameVersion : ModuleState::NewInstance;
        break;
    case ModuleState::UpdateInPlace:
    case ModuleState::UpdateToNewFolder:
        e.state = same ? ModuleState::UpdateInPlace : ModuleState::UpdateToNewFolder;
        break;
    case ModuleState::NewerInstalled:
        e.state = ModuleState::OlderToNewFolder;
        break;
    case ModuleState::NotInstalled:
    case ModuleState::OlderToNewFolder:
        break;
    }
}

SetupPageDecision CompareForSetupPage(const std::string& thisVersion,
                                      const InstalledModuleRecord& installed,
                                      const std::string& currentTarget, SetupMessages& messages)
{
    SetupPageDecision d;
    d.targetFolder = currentTarget;
    // A record without a path is no installation (as on the kit page), so an
    // unversioned module that was never installed gets the fresh-install page.
    if (installed.path.empty())
        return d;
    const int b = BuildNumberOf(thisVersion);
    const int32_t i = installed.build;
    if (b < i) {
        const SetupMessages::Answer a = messages.message(
            kSetupCaption,
            "You already have a newer version of this tool installed. You should only downgrade "
            "to this older version if you have problems with the newer version. It is then "
            "however recommended to uninstall the newer version before installing the old "
            "version.\n\nCurrently installed version: " +
                installed.version + "\nThis version: V" + thisVersion +
                "\n\nDo you still want to install the older version?",
            SetupMessages::Buttons::YesNo, SetupMessages::Answer::No, SetupMessages::Icon::None);
        if (a != SetupMessages::Answer::Yes)
            d.presentation = SetupPagePresentation::Cancelled;
        return d;
    }
    if (b > i && i != 0) {
        d.presentation = SetupPagePresentation::Update;
        d.targetFolder = installed.path;
        d.text = "You have currently installed V" + installed.version + " of this tool in " +
                 installed.path + ". This will update the current installation to V" + thisVersion +
                 ".";
        return d;
    }
    if (b == i) {
        d.presentation = SetupPagePresentation::SameVersion;
        d.targetFolder = installed.path;
        d.text = "You have already installed the module with the version at " + installed.path +
                 ". You can use this installer anyway in case you want to repair the "
                 "installation.";
        return d;
    }
    return d;
}

SetupPageDecision CompareForSetupPage(const std::string& thisVersion,
                                      const std::string& displayName,
                                      const std::string& currentTarget, SetupMessages& messages)
{
    return CompareForSetupPage(thisVersion, ReadInstalledModuleRecord(displayName, 0),
                               currentTarget, messages);
}

} // namespace qmsetup
