#pragma once

#include <string>

namespace playdeck {

// The file class the shell's .VPP files point at.
inline constexpr const char* kVppFileClass = "Quorvel.Manager.PLAYDECK32";
inline constexpr const char* kAssignVppValue = "AssignVPP";

// The executable path as the association names it. Windows upper-cases it;
// here it keeps its case, as an upper-cased path names no file on a
// case-sensitive file system.
std::string AssociationExecutablePath(const std::string& executablePath);

// The REGEDIT4 text that makes exe the handler of .VPP files: the extension
// key naming the class, the class and its shell\open\command key, whose
// default value is the quoted exe, a blank and "\"%1\"".
std::string AssociationScriptText(const std::string& exe);

enum class AssociationOutcome {
    Off,                  // "AssignVPP" is 0: the last association stays
    WrittenBesideProgram, // _setup.reg beside the executable
    WrittenInDataFolder,  // the program's folder is read-only: the data folder took it
    NotWritten,           // neither folder took the script; start-up goes on
};

struct AssociationResult {
    AssociationOutcome outcome = AssociationOutcome::Off;
    std::string scriptPath; // the _setup.reg written, "" when none
    std::string error;      // why nothing was written
};

// "$XDG_DATA_HOME/quorvel-manager": where the script goes when the
// program's own folder cannot take it.
std::string AssociationFallbackFolder();

// Start-up's association step for the running executable: reads "AssignVPP"
// (default 1, any value but 0 counts as on), writes the script beside the
// executable, or in the fallback folder when that fails, and applies it.
AssociationResult WriteAssociationScript(const std::string& executablePath);

} // namespace playdeck
