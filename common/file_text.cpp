#include "common/file_text.h"

#include <filesystem>
#include <fstream>
#include <sstream>

namespace qm {

std::optional<std::string> ReadFileText(const std::string& path, std::uintmax_t maxBytes)
{
    std::error_code ec;
    const auto size = std::filesystem::file_size(path, ec);
    if (ec || size > maxBytes)
        return std::nullopt;
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

} // namespace qm
