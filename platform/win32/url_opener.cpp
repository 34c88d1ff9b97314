#include "platform/url_opener.h"

#include "platform/win32/wide.h"

#include <windows.h>

#include <shellapi.h>

namespace qm {

bool DesktopUrlOpener::open(const std::string& url)
{
    // The shell's "open" hands the address to the user's browser.
    const std::wstring address = win32::Wide(url);
    SHELLEXECUTEINFOW sei{};
    sei.cbSize = sizeof sei;
    sei.fMask = SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
    sei.lpVerb = L"open";
    sei.lpFile = address.c_str();
    sei.nShow = SW_SHOWNORMAL;
    return ShellExecuteExW(&sei) != FALSE;
}

} // namespace qm
