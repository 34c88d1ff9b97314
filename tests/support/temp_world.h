#pragma once

#include <QDir>
#include <cstdint>
#include <gtest/gtest.h>
#include <map>
#include <optional>
#include <string>

namespace qm::test {

// A throw-away home for one test: the registry store, TEMP, HOME and every XDG
// folder point into a fresh temporary directory, and Wine/Steam hints are
// cleared, so no test can reach the real settings, desktop, menus or games of
// the machine it runs on. The previous environment is restored on destruction.
class TempWorld {
public:
    TempWorld();
    ~TempWorld();
    TempWorld(const TempWorld&) = delete;
    TempWorld& operator=(const TempWorld&) = delete;

    std::string root() const;         // the world's folder, no trailing '/'
    std::string home() const;         // $HOME
    std::string desktop() const;      // the desktop named in user-dirs.dirs
    std::string dataHome() const;     // $XDG_DATA_HOME
    std::string temp() const;         // $TEMP, with trailing '/'
    std::string registryPath() const; // $QM_REGISTRY_DB
    // Makes a folder (with parents) below root() and returns its full path.
    std::string makeDir(const std::string& relative) const;
    // Writes a file below root() (folders created) and returns its full path.
    std::string writeFile(const std::string& relative, const std::string& bytes) const;
    // writeFile for a script or program the test runs: only the owner may
    // read, write and run it.
    std::string writeProgram(const std::string& relative, const std::string& bytes) const;

    void setEnv(const char* name, const std::string& value);
    void unsetEnv(const char* name);

private:
    void remember(const char* name);
    std::string m_root;
    std::map<std::string, std::optional<std::string>> m_saved;
};

// Fixture base: every test gets its own TempWorld. Each area derives its own
// suite name from it, so a failing test's name says where it lives.
class TempWorldTest : public ::testing::Test {
protected:
    TempWorld world;
};

// The seed of a test that draws random numbers: $QM_TEST_SEED when set (to
// repeat a failed run), else a fresh one. It is printed and recorded in the
// test's XML result either way.
uint32_t TestSeed();

// Reads a whole file as bytes ("" when missing).
std::string readFileBytes(const std::string& path);

} // namespace qm::test
