#pragma once

#include "launcher/launch.h"
#include "launcher/sibling_tools.h"

#include <optional>
#include <string>

namespace playdeck {

// The chooser's fixed texts.
inline constexpr const char* kChooserPrompt = "Select action to do with the .VPP file:";
inline constexpr const char* kPlayLevelText = "Play selected level";
inline constexpr const char* kPlayModText = "Launch Red Faction with this MOD";
inline constexpr const char* kPlayNothingText =
    "This is not neither a Red Faction 1 level nor a MOD.\n(There is no .RFL file with the same "
    "name as the .VPP)";
inline constexpr const char* kPlayModLevelText =
    "Play Red Faction 1 with this level and enable this MOD";
inline constexpr const char* kPlayNotInUserMapsText =
    ".VPP needs to be below user_maps\\single or user_maps\\multi to be played in Red Faction 1.";
inline constexpr const char* kViewButtonText = "View .VPP file in Quorvel Manager PACKPEEK32";
inline constexpr const char* kEditButtonText = "Edit .VPP file in Quorvel Manager PACKFORGE32";

// Everything the chooser shows and starts for one packfile, computed once
// when it opens.
struct VppActionState {
    std::string path;     // the packfile, absolute
    std::string folder;   // path up to and including its last separator
    std::string fileName; // the rest
    std::string base;     // fileName without its last 4 characters; cleared for a MOD alone
    std::string gameFolder;
    std::string modName; // the MOD folder's name in lower case, or ""
    SiblingRecord forge;
    SiblingRecord peek; // its path cleared when the build is below 105
    bool isLevel = false;
    bool inUserMaps = false;
    bool isMod = false;

    std::string modLine;   // "MOD: " + name, or ""
    std::string levelLine; // level name + " by " + author, or ""
    std::string fileLine;  // fileName
    std::string playText;
    bool playEnabled = false;
    bool viewEnabled = false;
    bool editEnabled = false;
};

// The chooser's rules for path (made absolute against the current folder
// when relative) with the given game folder ("" when there is none) and
// sibling records. Folder names compare without regard to ASCII letter case.
// A packfile lying directly in mods/ belongs to no MOD: its name would be
// empty, and the game would be started with a bare "-level ".
VppActionState ComputeVppAction(const std::string& path, const std::string& gameFolder,
                                const SiblingRecord& forge, const SiblingRecord& peek);
// The same with the game folder and both records read from the store.
VppActionState ComputeVppAction(const std::string& path);

// What each enabled button starts; nothing for a disabled one.
std::optional<LaunchRequest> ChooserPlayRequest(const VppActionState& state);
std::optional<SiblingStartRequest> ChooserToolRequest(const VppActionState& state,
                                                      SiblingTool tool);

} // namespace playdeck
