#include "launcher/association.h"

#include "common/registry_script.h"
#include "common/settings.h"
#include "platform/file_system.h"
#include "platform/process_start.h"
#include "platform/special_folders.h"
#include "platform/string_util.h"

#include <cctype>
#include <filesystem>
#include <system_error>

namespace playdeck {

namespace {
constexpr const char* kClassesKey = "HKEY_LOCAL_MACHINE\\Software\\Classes\\";

// The script goes beside the program; a bare name runs from the current folder.
std::string ProgramFolder(const std::string& exe)
{
    const std::string folder = qm::fs::FolderOf(exe);
    return folder.empty() ? std::string(".") : qm::withoutTrailingSeparator(folder);
}
} // namespace

std::string AssociationExecutablePath(const std::string& executablePath)
{
#ifdef _WIN32
    std::string upper = executablePath;
    for (char& c : upper)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return upper;
#else
    return executablePath;
#endif
}

std::string AssociationScriptText(const std::string& exe)
{
    const std::string cls = std::string(kClassesKey) + kVppFileClass;
    qm::RegistryScript script;
    script.key(std::string(kClassesKey) + ".VPP").defaultValue(kVppFileClass);
    script.key(cls);
    script.key(cls + "\\shell");
    script.key(cls + "\\shell\\open");
    script.key(cls + "\\shell\\open\\command")
        .defaultValue(qm::QuoteWindowsArgument(exe) + " \"%1\"");
    return script.text();
}

std::string AssociationFallbackFolder()
{
    return qm::XdgDataHome() + qm::kPathSep + "quorvel-manager";
}

AssociationResult WriteAssociationScript(const std::string& executablePath)
{
    AssociationResult result;
    if (qm::ReadRegDword(qm::HKEY_CURRENT_USER, qm::SettingsKey, kAssignVppValue, 1) == 0)
        return result;

    const std::string exe = AssociationExecutablePath(executablePath);
    const std::string script = AssociationScriptText(exe);
    const std::string folder = ProgramFolder(exe);
    std::string besideError;
    if (qm::RunRegistryScript(folder, script, true, &besideError)) {
        result.outcome = AssociationOutcome::WrittenBesideProgram;
        result.scriptPath = folder + qm::kPathSep + "_setup.reg";
        return result;
    }

    // An installed program's folder is read-only for its user.
    const std::string fallback = AssociationFallbackFolder();
    std::error_code ec;
    std::filesystem::create_directories(fallback, ec);
    std::string fallbackError;
    if (qm::RunRegistryScript(fallback, script, true, &fallbackError)) {
        result.outcome = AssociationOutcome::WrittenInDataFolder;
        result.scriptPath = fallback + qm::kPathSep + "_setup.reg";
        return result;
    }
    result.outcome = AssociationOutcome::NotWritten;
    result.error = besideError + "; " + fallbackError;
    return result;
}

} // namespace playdeck
