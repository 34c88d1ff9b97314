#include "platform/desktop_association.h"

#include <windows.h>

#include <shlobj.h>

// On Windows the file classes under Software\Classes are the shell's own
// associations: the registry holds them, and the shell only has to be told
// that they changed.

namespace qm {

int ExportFileClassesToDesktop(const RegistryStore&, const std::vector<std::string>& changedKeys)
{
    return ExportFileClassesToDesktop(changedKeys);
}

int ExportFileClassesToDesktop(const std::vector<std::string>& changedKeys)
{
    if (!changedKeys.empty())
        SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr);
    return 0;
}

bool WithdrawFileClassFromDesktop(const std::string&, const std::vector<std::string>&)
{
    SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr);
    return true;
}

bool MarkLauncherTrusted(const std::string&, std::string*)
{
    return true; // a .lnk needs no trust mark
}

} // namespace qm
