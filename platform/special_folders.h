#pragma once

#include <string>

namespace qm {

// The shell's special folders, as the Linux desktop provides them. An empty
// path means the folder is not available (as an empty result of the shell).
enum class SpecialFolder {
    Desktop,         // XDG desktop folder (user-dirs.dirs), else ~/Desktop
    CommonDesktop,   // none: all-users folders are empty
    Programs,        // $XDG_DATA_HOME/applications
    CommonPrograms,  // none
    StartMenu,       // $XDG_DATA_HOME/applications
    CommonStartMenu, // none
    QuickLaunch,     // no equivalent: empty
    AppData,         // $XDG_DATA_HOME
    System,          // $XDG_DATA_HOME/quorvel-manager/system
    Home,            // $HOME
};

// Full path without trailing separator, or "".
std::string GetSpecialFolder(SpecialFolder folder);

// $XDG_DATA_HOME when set and absolute, else ~/.local/share.
std::string XdgDataHome();
// $XDG_CACHE_HOME when set and absolute, else ~/.cache.
std::string XdgCacheHome();
// $XDG_CONFIG_HOME when set and absolute, else ~/.config.
std::string XdgConfigHome();
// $XDG_STATE_HOME when set and absolute, else ~/.local/state.
std::string XdgStateHome();
// $HOME, else the password database's home folder.
std::string HomeFolder();

} // namespace qm
