#pragma once

// What the Windows tests share: a fresh folder below TEMP and a registry key
// of their own in both roots, removed afterwards, so a run never touches the
// settings of the machine (or Wine prefix) it runs on.

#include "platform/registry_store.h"

#include <chrono>
#include <functional>
#include <gtest/gtest.h>
#include <string>

namespace qm::wintest {

class WinTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // The test's folder, no trailing separator.
    const std::string& root() const { return m_root; }
    // "Software\Quorvel Manager Tests\<unique>" below either root.
    const std::string& testKey() const { return m_key; }
    std::string writeFile(const std::string& relative, const std::string& bytes) const;
    std::string makeDir(const std::string& relative) const;

private:
    std::string m_root;
    std::string m_key;
};

std::string ReadBytes(const std::string& path);
// Polls until done() holds or the time is up; the programs started here are
// not waited for by the starter, as the suite never waits for them.
bool WaitFor(const std::function<bool()>& done,
             std::chrono::milliseconds timeout = std::chrono::seconds(60));
// What Windows' own reg.exe prints for parameters, its output kept in folder.
std::string RegQuery(const std::string& folder, const std::string& parameters);
// A helper program built beside the tests.
std::string BinFile(const std::string& name);

} // namespace qm::wintest
