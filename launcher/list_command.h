#pragma once

#include <ostream>
#include <string>

namespace playdeck {

// `playdeck32 --list [single|multi|mods]`: prints that mode's catalogue rows,
// one a line, columns separated by TAB, in list order. Without a mode name the
// stored "LastMode" is used, as the window does. Returns the exit code: 0 on
// success, 1 when the game is missing (message on err), 2 for an unknown mode.
int RunListCommand(const std::string& mode, std::ostream& out, std::ostream& err);

} // namespace playdeck
