#include "common/file_text.h"

#include "platform/file_system.h"

namespace qm {

std::optional<std::string> ReadFileText(const std::string& path, std::uintmax_t maxBytes)
{
    return fs::ReadWholeFile(path, maxBytes);
}

} // namespace qm
