#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace playdeck {

// What a level shortcut starts, as the list's command hands it to the wizard.
struct ShortcutInput {
    std::string levelFile;        // packfile name without ".vpp"; "" for a MOD alone (%l)
    std::string levelDisplayName; // the level's name (%n)
    std::string modName;          // the MOD folder's name; "" in the level modes (%m)
    bool isMod = false;
    bool operator==(const ShortcutInput&) const = default;
};

// The wizard's input for a row of the list (mode number and its first three
// columns); nothing when the row cannot make a shortcut (a level file name of
// 4 characters or fewer, a MOD level whose file name leaves no level).
std::optional<ShortcutInput> ShortcutInputForRow(int32_t modeNumber, const std::string& c0,
                                                 const std::string& c1, const std::string& c2);

// The setting that holds the name template for an input, and its default.
struct NameTemplateSetting {
    const char* valueName;
    const char* defaultText;
};
NameTemplateSetting NameTemplateFor(const ShortcutInput& input);

// Replaces every "%l", then every "%n", then every "%m" (so a placeholder an
// earlier replacement brought in is replaced too).
std::string ReplaceNamePlaceholders(std::string nameTemplate, const ShortcutInput& input);

// The proposed name: the stored template with its placeholders replaced.
std::string ProposedShortcutName(const ShortcutInput& input);

// The four locations, in radio-button order.
enum class ShortcutLocation { Desktop = 0, StartMenu = 1, QuickLaunch = 2, Elsewhere = 3 };
inline constexpr int kShortcutLocationCount = 4;

struct FolderPair {
    std::string currentUser;
    std::string allUsers;
    bool operator==(const FolderPair&) const = default;
};
using ShortcutFolderTable = std::array<FolderPair, kShortcutLocationCount>;

// The folders of the four locations from the special folders and the
// settings, read anew on every call.
ShortcutFolderTable BuildShortcutFolderTable();

enum class ShortcutProfile { None, CurrentUser, AllUsers };

// What choosing a location shows: whether the profile buttons appear, which
// profile is then checked, and the directory proposed.
struct LocationChoice {
    bool showProfiles = false;
    ShortcutProfile profile = ShortcutProfile::None;
    std::string directory;
    bool operator==(const LocationChoice&) const = default;
};
LocationChoice ChooseLocation(const FolderPair& pair, ShortcutProfile checked);
// The folder of a location for a profile button.
std::string FolderForProfile(const FolderPair& pair, ShortcutProfile profile);

// The start menu folders stand in for system folders that always exist on
// Windows, but a fresh desktop account may lack them: made before a start-menu
// shortcut is written, so only the program group is left to Finish.
void EnsureStartMenuFolders();

// Shortcut files carry this extension here, where the shell's are ".lnk".
inline constexpr const char* kShortcutExtension = ".desktop";

// Everything the writer is given for one level shortcut.
struct LevelShortcut {
    std::string folder;    // the directory with a trailing separator
    std::string target;    // game folder + "rf.exe"
    std::string arguments; // BuildLaunchParameters with the stored switches
    std::string name;      // the typed name + kShortcutExtension
    bool operator==(const LevelShortcut&) const = default;
};
LevelShortcut LevelShortcutFor(const ShortcutInput& input, const std::string& directory,
                               const std::string& name, const std::string& gameFolder,
                               const std::string& switches);

// Finish: computes the shortcut from the store's game folder and switches,
// creates the directory's last level and writes the shortcut through the
// launcher copy of CreateShortcut. 0 on success, else a shortcut result code.
// A name that holds a path separator would write outside the directory: it
// fails without writing.
int32_t WriteLevelShortcut(const ShortcutInput& input, const std::string& directory,
                           const std::string& name);

} // namespace playdeck
