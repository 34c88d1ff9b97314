#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace playdeck {

struct VdfEntry;

// One node of Valve's KeyValues text (libraryfolders.vdf, appmanifest_*.acf):
// either a string or a block of named children, in file order.
struct VdfNode {
    std::string text;
    bool isBlock = false;
    std::vector<VdfEntry> children;

    // First child whose key equals key without regard to ASCII case.
    const VdfNode* child(std::string_view key) const;
};

struct VdfEntry {
    std::string key;
    VdfNode node;
};

// The top level as a block; nothing when the text is malformed (unbalanced
// braces, an unterminated string, a key without a value, nesting too deep).
std::optional<VdfNode> ParseVdf(std::string_view text);

// Library folders listed in a libraryfolders.vdf, old format ("1" "/path")
// and new format ("0" { "path" "/path" ... }); empty when malformed.
std::vector<std::string> VdfLibraryFolders(std::string_view text);

// The Steam installation folders that exist, in the order Steam clients use
// them, duplicates (after resolving links) removed.
std::vector<std::string> SteamRoots(const std::string& home);

// Every library of a Steam root: the root itself first, then those of its
// steamapps/libraryfolders.vdf, duplicates removed.
std::vector<std::string> SteamLibraries(const std::string& root);

// The compatibility tool Steam runs appId with: the app's own entry of
// CompatToolMapping in root/config/config.vdf, else the default entry "0";
// "" when there is neither.
std::string SteamCompatToolName(const std::string& root, const std::string& appId);

// The "proton" script of the tool Steam names name: a tool of
// compatibilitytools.d (each root's, then the system's) that declares name in
// its compatibilitytool.vdf, else Valve's own in steamapps/common of the
// libraries ("proton_experimental" is "Proton - Experimental",
// "proton_hotfix" "Proton Hotfix", "proton_9" "Proton 9.0", "proton_63"
// "Proton 6.3"). Nothing when it is not installed.
std::optional<std::string> FindCompatTool(const std::string& name,
                                          const std::vector<std::string>& roots,
                                          const std::vector<std::string>& libraries);

} // namespace playdeck
