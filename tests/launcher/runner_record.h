#pragma once

#include "support/temp_world.h"

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

namespace playdeck::test {

// A world whose PATH starts with its own bin/, where stand-in runners (Wine,
// Steam, Proton, ...) write what they were given to $QM_RUNNER_LOG.
class RunnerRecordTest : public qm::test::TempWorldTest {
protected:
    // takeRecords: each record is removed once read, for tests that start
    // more than once.
    RunnerRecordTest(const char* recorderScript, bool takeRecords)
        : m_recorder(recorderScript), m_takeRecords(takeRecords)
    {
    }
    void SetUp() override
    {
        bin = world.makeDir("bin");
        world.setEnv("PATH", bin + ":/usr/bin:/bin");
        log = world.root() + "/runner.log";
        world.setEnv("QM_RUNNER_LOG", log);
    }
    std::string recorder(const std::string& relative) const
    {
        return world.writeProgram(relative, m_recorder);
    }
    // The record of the start, or "" when none came within 5 s.
    std::string awaitRecord() const
    {
        for (int i = 0; i < 500; ++i) {
            if (std::filesystem::exists(log)) {
                std::string record = qm::test::readFileBytes(log);
                if (m_takeRecords)
                    std::filesystem::remove(log);
                return record;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return "";
    }

    std::string bin;
    std::string log;

private:
    const char* m_recorder;
    bool m_takeRecords;
};

} // namespace playdeck::test
