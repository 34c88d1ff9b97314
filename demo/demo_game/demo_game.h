#pragma once

#include <string>

namespace qm::demo {

// Writes the demo game below folder (created when missing): level packfiles
// in user_maps/single and user_maps/multi (one no level, one truncated), MOD
// folders below mods/ (with levels, with packfiles that are no levels,
// without packfiles), and rfExeSource copied as "rf.exe". Existing files of
// the same names are overwritten; nothing else is touched. On failure returns
// false and says why in error.
bool MakeDemoGame(const std::string& folder, const std::string& rfExeSource, std::string& error);

} // namespace qm::demo
