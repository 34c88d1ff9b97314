#include "platform/special_folders.h"

#include <cstdlib>
#include <fstream>
#include <pwd.h>
#include <unistd.h>

namespace qm {

namespace {

std::string envOr(const char* name, const std::string& fallback)
{
    const char* v = std::getenv(name);
    return (v && *v == '/') ? std::string(v) : fallback;
}

std::string stripTrailingSlashes(std::string p)
{
    while (p.size() > 1 && p.back() == '/')
        p.pop_back();
    return p;
}

// XDG_DESKTOP_DIR from user-dirs.dirs: a shell-style line whose value is
// "$HOME/..." or an absolute path, in double quotes.
std::string desktopFromUserDirs()
{
    const std::string config = envOr("XDG_CONFIG_HOME", HomeFolder() + "/.config");
    std::ifstream in(config + "/user-dirs.dirs");
    std::string line;
    while (std::getline(in, line)) {
        size_t b = line.find_first_not_of(" \t");
        if (b == std::string::npos || line.compare(b, 16, "XDG_DESKTOP_DIR=") != 0)
            continue;
        std::string v = line.substr(b + 16);
        while (!v.empty() && (v.back() == '\r' || v.back() == ' ' || v.back() == '\t'))
            v.pop_back();
        if (v.size() < 2 || v.front() != '"' || v.back() != '"')
            continue;
        v = v.substr(1, v.size() - 2);
        if (v.rfind("$HOME", 0) == 0)
            v = HomeFolder() + v.substr(5);
        else if (v.empty() || v.front() != '/')
            continue;
        return stripTrailingSlashes(v);
    }
    return std::string();
}

} // namespace

std::string HomeFolder()
{
    if (const char* h = std::getenv("HOME"); h && *h)
        return stripTrailingSlashes(h);
    if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir)
        return stripTrailingSlashes(pw->pw_dir);
    return "/";
}

std::string XdgDataHome()
{
    return stripTrailingSlashes(envOr("XDG_DATA_HOME", HomeFolder() + "/.local/share"));
}

std::string XdgCacheHome()
{
    return stripTrailingSlashes(envOr("XDG_CACHE_HOME", HomeFolder() + "/.cache"));
}

std::string XdgConfigHome()
{
    return stripTrailingSlashes(envOr("XDG_CONFIG_HOME", HomeFolder() + "/.config"));
}

std::string XdgStateHome()
{
    return stripTrailingSlashes(envOr("XDG_STATE_HOME", HomeFolder() + "/.local/state"));
}

std::string GetSpecialFolder(SpecialFolder folder)
{
    switch (folder) {
    case SpecialFolder::Desktop: {
        const std::string d = desktopFromUserDirs();
        return d.empty() ? HomeFolder() + "/Desktop" : d;
    }
    case SpecialFolder::Programs:
    case SpecialFolder::StartMenu:
        return XdgDataHome() + "/applications";
    case SpecialFolder::AppData:
        return XdgDataHome();
    case SpecialFolder::System:
        return XdgDataHome() + "/quorvel-manager/system";
    case SpecialFolder::Home:
        return HomeFolder();
    case SpecialFolder::CommonDesktop:
    case SpecialFolder::CommonPrograms:
    case SpecialFolder::CommonStartMenu:
    case SpecialFolder::QuickLaunch:
        break;
    }
    return std::string();
}

} // namespace qm
