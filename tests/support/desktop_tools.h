#pragma once

#include "support/temp_world.h"

#include <optional>
#include <string>
#include <vector>

namespace qm::test {

// What the desktop tells about files and types, asked through the same tools a
// file manager's user would use. Every helper runs the tool in the current
// environment (a TempWorld's).

// Whether the program is on PATH.
bool toolPresent(const char* program);
// Whether xdg-mime, gio and update-mime-database are all installed.
bool desktopToolsPresent();
// The tool's trimmed standard output, or nothing when it failed.
std::optional<std::string> runDesktopTool(const std::string& program,
                                          const std::vector<std::string>& arguments);
// A GNOME session in the world: XDG_CURRENT_DESKTOP=GNOME, and the system data
// folders narrowed to <root>/system-share (for "installed" files) and /usr/share.
void useGnomeDesktop(TempWorld& world);
// `xdg-mime query filetype FILE` and `xdg-mime query default TYPE`.
std::string queryFileType(const std::string& path);
std::string queryDefaultApp(const std::string& mimeType);
// The default application `gio mime TYPE` names ("" when none).
std::string gioDefaultApp(const std::string& mimeType);
// "" when desktop-file-validate accepts the file, else its complaint.
std::string validateDesktopEntry(const std::string& path);

} // namespace qm::test
