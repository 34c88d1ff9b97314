#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace qm {

// How the two copies of the shortcut writer join folder and name.
enum class ShortcutJoin {
    Launcher, // folder + name: the caller's folder ends in a separator
    Setup,    // folder + "/" + name
};

// Result codes (0 is success, as the shell's status codes).
inline constexpr int32_t kShortcutOk = 0;
inline constexpr int32_t kShortcutFolderMissing = -1;
inline constexpr int32_t kShortcutWriteFailed = -2;
inline constexpr int32_t kShortcutPathTooLong = -3;
inline constexpr int32_t kShortcutNotUtf8 = -4; // a path a Desktop Entry cannot spell

// What runs a shortcut's target: words in front of it, and variables set for
// it (through "env"). Without one, a Windows program runs through wine.
struct ShortcutRunner {
    std::vector<std::string> command;
    std::vector<std::pair<std::string, std::string>> environment;
    bool namesTarget = true; // false: the runner starts the target itself (Steam's client)
};

// Writes a freedesktop .desktop file (the stand-in for a .lnk): Type=Application,
// Name = the file name without extension, Exec = runner, target and arguments
// (split by the Windows command-line rules, quoted by the Desktop Entry rules),
// Path = the target's folder. ".desktop" is appended unless the lower-cased
// path already contains it. The folder is not created; on failure nothing is
// left behind. A shortcut on the desktop is also marked trusted.
int32_t CreateShortcut(ShortcutJoin join, const std::string& folder, const std::string& target,
                       const std::string& arguments, const std::string& name,
                       const ShortcutRunner* runner = nullptr);

// A shortcut file's ending: a desktop entry here, a shell link on Windows.
#ifdef _WIN32
inline constexpr const char* kShortcutExtension = ".lnk";
#else
inline constexpr const char* kShortcutExtension = ".desktop";
#endif

// True when the shortcut file at path starts program, so that removing a
// program takes only its own shortcuts.
bool ShortcutStarts(const std::string& path, const std::string& program);

inline int32_t CreateShortcutLauncher(const std::string& folder, const std::string& target,
                                      const std::string& arguments, const std::string& name,
                                      const ShortcutRunner* runner = nullptr)
{
    return CreateShortcut(ShortcutJoin::Launcher, folder, target, arguments, name, runner);
}
inline int32_t CreateShortcutSetup(const std::string& folder, const std::string& target,
                                   const std::string& arguments, const std::string& name)
{
    return CreateShortcut(ShortcutJoin::Setup, folder, target, arguments, name);
}

// The .desktop text CreateShortcut writes (for tests and previews). The name
// takes the display rule; a Windows program's arguments become UTF-8 of their
// display text. Nothing when the rest of Exec (program, runner, a native
// program's arguments) or the folder is not UTF-8: a Desktop Entry cannot
// spell such bytes.
std::optional<std::string> DesktopEntryText(const std::string& displayName,
                                            const std::string& target, const std::string& arguments,
                                            const ShortcutRunner* runner = nullptr);

} // namespace qm
