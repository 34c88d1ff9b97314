#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace qm {

// The whole file as bytes; nothing when it cannot be read or is larger than
// maxBytes (so a damaged or hostile file cannot exhaust memory).
std::optional<std::string> ReadFileText(const std::string& path, std::uintmax_t maxBytes);

} // namespace qm
