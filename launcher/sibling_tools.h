#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace playdeck {

// The suite's two packfile tools, known only through the records setup keeps.
enum class SiblingTool { PackForge, PackPeek };

inline constexpr const char* kSiblingErrorCaption = "Error";
inline constexpr const char* kForgeNotFoundMessage =
    "Could not find Quorvel Manager PACKFORGE32.\n\nPlease make sure you have at least Beta 01d "
    "(Build 05) installed.";
inline constexpr const char* kPeekOutdatedMessage =
    "Outdated version of Quorvel Manager PACKPEEK32 detected.\n\nYou need at least V2.0 Beta 03 "
    "(Build 105) installed.";
inline constexpr const char* kPeekNotFoundMessage =
    "Could not find Quorvel Manager PACKPEEK32.\n\nPlease make sure you have at least V2.0 Beta "
    "04b (Build 108) installed.";

// The first PACKPEEK32 build that takes a packfile path; 101 to 104 are refused.
inline constexpr uint32_t kPeekFirstUsableBuild = 105;

// HKEY_LOCAL_MACHINE key of the tool's installed-module record.
std::string SiblingRecordKey(SiblingTool tool);

// What the launcher reads of a record: "EXE", "Path" and PACKPEEK32's "Build".
struct SiblingRecord {
    std::string exe;    // the program to start
    std::string path;   // its working folder; empty: not installed
    uint32_t build = 0; // PACKPEEK32 only; 0 when missing
};
SiblingRecord ReadSiblingRecord(SiblingTool tool);

// The chooser's gate: PACKFORGE32 needs a path, PACKPEEK32 a path and a build
// of at least 105 (a missing build counts as too old there).
bool ChooserCanUseSibling(SiblingTool tool, const SiblingRecord& record);

// A start of a tool on one packfile.
struct SiblingStartRequest {
    std::string program;
    std::string parameters; // the packfile path in double quotes
    std::string workingFolder;
    bool operator==(const SiblingStartRequest&) const = default;
};

// The packfile path as the one quoted parameter a tool takes. A plain path
// is just put in double quotes; quotes and backslashes that would end or
// bend the quoting are escaped so the tool still receives the path whole.
std::string QuotedPackfileParameter(const std::string& packfilePath);

SiblingStartRequest SiblingStartFor(const SiblingRecord& record, const std::string& packfilePath);

// The main window's View/Edit decision for the selected row.
struct SiblingOpenPlan {
    std::string message; // not empty: show it and start nothing
    std::optional<SiblingStartRequest> start;
};
// Nothing to do when the file name (column 0) has fewer than 5 characters.
// PACKPEEK32 builds 101 to 104 are refused before its path is looked at; a
// missing build passes.
std::optional<SiblingOpenPlan> PlanOpenInSiblingTool(SiblingTool tool, const SiblingRecord& record,
                                                     const std::string& currentFolder,
                                                     const std::string& fileName);

// Starts the tool through the current process starter; not waited for. On
// Windows the tool opens maximized; a detached start here cannot ask for a
// window state, so the tool opens as it likes.
bool StartSiblingTool(const SiblingStartRequest& request);

} // namespace playdeck
