#pragma once

// What the facade lists, as names to compare: shared by the Linux tests and
// the Windows ones, so it stays free of Qt and of the temporary world.

#include "platform/file_system.h"
#include "platform/registry_store.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace qm::test {

// The names in a folder, sorted; listing it must succeed.
inline std::vector<std::string> namesIn(const std::string& folder)
{
    std::vector<fs::FolderEntry> entries;
    EXPECT_TRUE(fs::ListFolder(folder, &entries));
    std::vector<std::string> names;
    for (const auto& e : entries)
        names.push_back(e.name);
    std::sort(names.begin(), names.end());
    return names;
}

// The names of registry values, in the order given.
inline std::vector<std::string> valueNames(const std::vector<RegValue>& values)
{
    std::vector<std::string> out;
    for (const RegValue& v : values)
        out.push_back(v.name);
    return out;
}

} // namespace qm::test
