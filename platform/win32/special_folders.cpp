#include "platform/special_folders.h"

#include "platform/win32/wide.h"

#include <windows.h>

#include <shlobj.h>

namespace qm {

namespace {

std::string knownFolder(REFKNOWNFOLDERID id)
{
    PWSTR path = nullptr;
    std::string out;
    // Folders that are not there (an all-users folder on a trimmed system)
    // give "" rather than being made.
    if (SUCCEEDED(SHGetKnownFolderPath(id, KF_FLAG_DONT_VERIFY, nullptr, &path)) && path)
        out = win32::Bytes(path);
    CoTaskMemFree(path);
    while (out.size() > 3 && out.back() == '\\')
        out.pop_back();
    return out;
}

} // namespace

std::string GetSpecialFolder(SpecialFolder folder)
{
    switch (folder) {
    case SpecialFolder::Desktop:
        return knownFolder(FOLDERID_Desktop);
    case SpecialFolder::CommonDesktop:
        return knownFolder(FOLDERID_PublicDesktop);
    case SpecialFolder::Programs:
        return knownFolder(FOLDERID_Programs);
    case SpecialFolder::CommonPrograms:
        return knownFolder(FOLDERID_CommonPrograms);
    case SpecialFolder::StartMenu:
        return knownFolder(FOLDERID_StartMenu);
    case SpecialFolder::CommonStartMenu:
        return knownFolder(FOLDERID_CommonStartMenu);
    case SpecialFolder::QuickLaunch: {
        // The application data folder + "\Microsoft\Internet Explorer\Quick
        // Launch", which is what the known folder names where it is known.
        const std::string quick = knownFolder(FOLDERID_QuickLaunch);
        if (!quick.empty())
            return quick;
        const std::string appData = knownFolder(FOLDERID_RoamingAppData);
        return appData.empty() ? appData : appData + "\\Microsoft\\Internet Explorer\\Quick Launch";
    }
    case SpecialFolder::AppData:
        return knownFolder(FOLDERID_RoamingAppData);
    case SpecialFolder::System:
        return knownFolder(FOLDERID_SystemX86);
    case SpecialFolder::Home:
        return knownFolder(FOLDERID_Profile);
    }
    return {};
}

// The per-user data folder that stands where Linux has XDG_DATA_HOME.
std::string XdgDataHome()
{
    return knownFolder(FOLDERID_LocalAppData);
}

// Caches and logs are per machine (local), settings files roam with the user.
std::string XdgCacheHome()
{
    return knownFolder(FOLDERID_LocalAppData);
}

std::string XdgStateHome()
{
    return knownFolder(FOLDERID_LocalAppData);
}

std::string XdgConfigHome()
{
    return knownFolder(FOLDERID_RoamingAppData);
}

std::string HomeFolder()
{
    return knownFolder(FOLDERID_Profile);
}

} // namespace qm
