#pragma once

#include <iosfwd>

namespace playdeck {

// `playdeck32 --where`: one line a find, in the order the places are tried:
// "*" for the find a launch uses ("-" for the others), the place, the game
// folder and the runner that would start it (or why none can), separated by
// TAB. 0 when some find can be started, 1 otherwise.
int RunWhereCommand(std::ostream& out, std::ostream& err);

} // namespace playdeck
