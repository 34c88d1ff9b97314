#pragma once

#include <string>

namespace playdeck {

// The machine a Windows program is built for, from its PE header.
enum class PeMachine { Unknown, I386, Amd64, Other };

// Reads the MZ stub's pointer to the PE header and that header's machine
// field; Unknown when the file is missing, short or no PE image.
PeMachine ReadPeMachine(const std::string& path);

// True when the Wine started by wineProgram (its launcher, as found on PATH
// or configured) has its 32-bit half: the i386 libraries of a multiarch
// install (Debian's wine32:i386), lib/wine/i386-windows of a WineHQ, Fedora,
// Arch or new-style WoW64 build, or an old lib32/ or lib/ beside lib64/.
bool WineRuns32Bit(const std::string& wineProgram);

} // namespace playdeck
