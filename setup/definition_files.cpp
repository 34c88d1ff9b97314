#include "setup/definition_files.h"

#include "common/profile.h"
#include "platform/special_folders.h"
#include "setup/file_ops.h"

#include <algorithm>

namespace qmsetup {

bool SetupFileExists(const std::string& path)
{
    return SourceFileSize(path, nullptr);
}

LocateResult LocateDistribution(const std::string& programPath)
{
    LocateResult r;
    Distribution& d = r.distribution;
    const size_t slash = programPath.find_last_of('/');
    d.setupFolder = slash == std::string::npos ? std::string() : programPath.substr(0, slash);
    d.kitFile = d.setupFolder + "/" + kKitFileName;
    d.moduleFile = d.setupFolder + "/" + kModuleFileName;
    if (SetupFileExists(d.kitFile)) {
        d.mode = SetupMode::Kit;
        r.ok = true;
    } else if (SetupFileExists(d.moduleFile)) {
        d.mode = SetupMode::SingleModule;
        r.ok = true;
    } else {
        r.fatalMessage = "Fatal error: Couldn't find setup file " + d.moduleFile + " or " +
                         d.kitFile + ". Setup will close.";
    }
    return r;
}

KitHeader LoadKitHeader(const std::string& kitFile)
{
    const qm::ProfileFile f(kitFile);
    KitHeader h;
    h.versionBuild = f.integer("General", "VersionBuild", 0);
    h.version = f.text("General", "Version", "");
    h.webName = f.text("General", "WebName", "");
    return h;
}

std::string ExpandHomePrefix(const std::string& path)
{
    if (path.rfind("~/", 0) == 0)
        return qm::HomeFolder() + path.substr(1);
    return path;
}

std::string NativeRelativePath(const std::string& entry)
{
    std::string p = entry;
    std::replace(p.begin(), p.end(), '\\', '/');
    return p;
}

namespace {

// The names, version and default folder every reader of a module file takes;
// what is not there reads as missing.
ModuleDescription ReadModuleNames(const qm::ProfileFile& f, const char* missing)
{
    ModuleDescription m;
    m.name = f.text("Module", "Name", missing);
    m.longName = f.text("Module", "Long", missing);
    m.desc = f.text("Module", "Desc", missing);
    m.vers = f.text("Module", "Vers", missing);
    m.defaultDirectory = ExpandHomePrefix(f.text("Installation", "DefaultDirectory", missing));
    return m;
}

} // namespace

ModuleDescription LoadSingleModule(const std::string& moduleFile)
{
    const qm::ProfileFile f(moduleFile);
    ModuleDescription m = ReadModuleNames(f, "");
    m.date = f.text("Module", "Date", "");
    m.coder = f.text("Module", "Coder", "");
    m.webName = f.text("Module", "WebName", "");
    m.exeFile = f.text("Installation", "EXEfile", "");
    return m;
}

ModuleDescription LoadKitModuleForPage(const std::string& sourceFolder)
{
    return ReadModuleNames(qm::ProfileFile(sourceFolder + "/" + kModuleFileName), "$");
}

ModuleDescription LoadKitModuleForInstall(const std::string& sourceFolder)
{
    ModuleDescription m = LoadSingleModule(sourceFolder + "/" + kModuleFileName);
    m.defaultDirectory.clear(); // the target comes from the kit entry
    return m;
}

std::vector<std::string> KitModuleFolders(const Distribution& distribution)
{
    const qm::ProfileFile f(distribution.kitFile);
    std::vector<std::string> folders;
    for (const std::string& entry : f.list("Modules", "$", kMaxKitModules))
        folders.push_back(distribution.setupFolder + "/" + NativeRelativePath(entry));
    return folders;
}

} // namespace qmsetup
