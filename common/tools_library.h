#pragma once

#include <string>

namespace qm {

// Loads the suite's tools library (qm_tools, beside the executable first, then
// in the installed library folder, then the library path), calls the
// argument-less entry, and unloads it again.
// A missing library or entry does nothing. Returns whether the entry ran.
bool CallToolsLibrary(const char* entry);

// Loads the library from exactly this file instead of searching for it (tests
// load a library of their own); "" restores the normal search.
void SetToolsLibraryPath(const std::string& path);

} // namespace qm
