#pragma once

// The process environment, as bytes.

#include <optional>
#include <string>
#include <vector>

namespace qm {

// The variable's value; nothing when it is not set.
std::optional<std::string> GetEnv(const std::string& name);
bool SetEnv(const std::string& name, const std::string& value);
bool UnsetEnv(const std::string& name);

// The program's arguments without its own name, byte-exact: argv as given
// on Linux, the wide command line split by Windows' rules and turned into
// UTF-8 on Windows (argv there is already squeezed into the ANSI code page).
std::vector<std::string> ProgramArguments(int argc, char** argv);

// The full path of the running program's file; "" when it cannot be told.
std::string OwnProgramPath();

} // namespace qm
