#pragma once

// The pointer vector exec and posix_spawn take for arguments or environment:
// each string's bytes, then a null. The strings must outlive it.

#include <string>
#include <vector>

namespace qm {

inline std::vector<char*> ExecPointers(std::vector<std::string>& strings)
{
    std::vector<char*> pointers;
    pointers.reserve(strings.size() + 1);
    for (std::string& s : strings)
        pointers.push_back(s.data());
    pointers.push_back(nullptr);
    return pointers;
}

} // namespace qm
