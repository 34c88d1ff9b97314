#include "launcher/sibling_tools.h"

#include "common/settings.h"
#include "platform/process_start.h"

namespace playdeck {

namespace {
constexpr const char* kToolsKey = "Software\\Quorvel Network\\Quorvel Manager Tools\\";
} // namespace

std::string SiblingRecordKey(SiblingTool tool)
{
    return std::string(kToolsKey) + (tool == SiblingTool::PackForge ? "Quorvel Manager PACKFORGE32"
                                                                    : "Quorvel Manager PACKPEEK32");
}

SiblingRecord ReadSiblingRecord(SiblingTool tool)
{
    const std::string key = SiblingRecordKey(tool);
    SiblingRecord r;
    r.exe = qm::ReadRegString(qm::HKEY_LOCAL_MACHINE, key, "EXE", "");
    r.path = qm::ReadRegString(qm::HKEY_LOCAL_MACHINE, key, "Path", "");
    if (tool == SiblingTool::PackPeek)
        r.build = qm::ReadRegDword(qm::HKEY_LOCAL_MACHINE, key, "Build", 0);
    return r;
}

bool ChooserCanUseSibling(SiblingTool tool, const SiblingRecord& record)
{
    if (record.path.empty())
        return false;
    return tool == SiblingTool::PackForge || record.build >= kPeekFirstUsableBuild;
}

std::string QuotedPackfileParameter(const std::string& packfilePath)
{
    // The inverse of the Windows command-line splitting: backslashes count
    // only in front of a quote, so those runs are doubled, and a quote of the
    // name itself is escaped.
    std::string out = "\"";
    size_t backslashes = 0;
    for (char c : packfilePath) {
        if (c == '\\') {
            ++backslashes;
            out += c;
            continue;
        }
        if (c == '"') {
            out.append(backslashes + 1, '\\');
        }
        backslashes = 0;
        out += c;
    }
    out.append(backslashes, '\\'); // the closing quote must stay a quote
    out += '"';
    return out;
}

SiblingStartRequest SiblingStartFor(const SiblingRecord& record, const std::string& packfilePath)
{
    return {record.exe, QuotedPackfileParameter(packfilePath), record.path};
}

std::optional<SiblingOpenPlan> PlanOpenInSiblingTool(SiblingTool tool, const SiblingRecord& record,
                                                     const std::string& currentFolder,
                                                     const std::string& fileName)
{
    if (fileName.size() < 5)
        return std::nullopt;
    SiblingOpenPlan plan;
    if (tool == SiblingTool::PackPeek && record.build >= 101 && record.build <= 104) {
        plan.message = kPeekOutdatedMessage;
    } else if (record.path.empty()) {
        plan.message =
            tool == SiblingTool::PackForge ? kForgeNotFoundMessage : kPeekNotFoundMessage;
    } else {
        plan.start = SiblingStartFor(record, currentFolder + fileName);
    }
    return plan;
}

bool StartSiblingTool(const SiblingStartRequest& request)
{
    return qm::StartProgram(request.program, request.parameters, request.workingFolder);
}

} // namespace playdeck
