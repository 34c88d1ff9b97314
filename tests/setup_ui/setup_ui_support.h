#pragma once

#include "common/ui/message_box.h"
#include "support/temp_world.h"

#include <set>
#include <string>

namespace qmsetup::test {

// A temporary world with message boxes answered from a queue; boxes nobody
// answered take their default, so no test can hang on one.
class SetupUiTest : public qm::test::TempWorldTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // Writes a qm_modul.dat below the world and returns its path.
    std::string writeModule(const std::string& folder, const std::string& desc,
                            const std::string& vers, const std::string& extra = std::string());
    // A record as an earlier install leaves it.
    void writeRecord(const std::string& desc, int build, const std::string& version,
                     const std::string& path);
    // Every file below the world, relative to it (the settings store aside).
    std::set<std::string> filesOfWorld() const;
};

} // namespace qmsetup::test
