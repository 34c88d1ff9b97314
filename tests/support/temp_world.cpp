#include "temp_world.h"

#include "platform/file_system.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <random>
#include <sstream>
#include <vector>

extern char** environ;

namespace qm::test {

TempWorld::TempWorld()
{
    // Made and removed through the file-system facade: QTemporaryDir cannot
    // remove names that are not UTF-8, and tests make such names on purpose.
    const char* tmp = std::getenv("TMPDIR");
    m_root = qm::fs::MakePrivateFolder(tmp && *tmp ? tmp : "/tmp", "qm-test-");
    if (m_root.empty())
        throw std::runtime_error("cannot create a temporary directory");
    const std::string r = root();
    const std::string h = r + "/home";
    QDir().mkpath(QString::fromStdString(h + "/Desktop"));
    QDir().mkpath(QString::fromStdString(r + "/temp"));
    for (const char* d : {"/.local/share", "/.config", "/.cache", "/.local/state", "/runtime"})
        QDir().mkpath(QString::fromStdString(h + d));
    QFile::setPermissions(QString::fromStdString(h + "/runtime"),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);

    setEnv("HOME", h);
    setEnv("QM_REGISTRY_DB", r + "/registry.sqlite");
    setEnv("TEMP", r + "/temp");
    setEnv("TMPDIR", r + "/temp");
    setEnv("XDG_DATA_HOME", h + "/.local/share");
    setEnv("XDG_CONFIG_HOME", h + "/.config");
    setEnv("XDG_CACHE_HOME", h + "/.cache");
    setEnv("XDG_STATE_HOME", h + "/.local/state");
    setEnv("XDG_RUNTIME_DIR", h + "/runtime");
    setEnv("XDG_DESKTOP_DIR", h + "/Desktop");
    writeFile("home/.config/user-dirs.dirs", "XDG_DESKTOP_DIR=\"$HOME/Desktop\"\n");
    unsetEnv("WINEPREFIX");
    unsetEnv("QM_UPDATE_SERVER");
    setEnv("QM_SPLASH_MS", "0");
    // Any Steam hint of the real machine would lead look-ups out of the world.
    std::vector<std::string> steam;
    for (char** e = environ; e && *e; ++e) {
        std::string kv(*e);
        if (kv.rfind("STEAM_", 0) == 0)
            steam.push_back(kv.substr(0, kv.find('=')));
    }
    for (const auto& name : steam)
        unsetEnv(name.c_str());
}

TempWorld::~TempWorld()
{
    // QTemporaryDir cannot name files whose names are not UTF-8.
    std::error_code ignored;
    std::filesystem::remove_all(root(), ignored);
    for (const auto& [name, value] : m_saved) {
        if (value)
            ::setenv(name.c_str(), value->c_str(), 1);
        else
            ::unsetenv(name.c_str());
    }
    qm::fs::RemoveTree(m_root);
}

void TempWorld::remember(const char* name)
{
    if (m_saved.count(name))
        return;
    const char* v = std::getenv(name);
    m_saved[name] = v ? std::optional<std::string>(v) : std::nullopt;
}

void TempWorld::setEnv(const char* name, const std::string& value)
{
    remember(name);
    ::setenv(name, value.c_str(), 1);
}

void TempWorld::unsetEnv(const char* name)
{
    remember(name);
    ::unsetenv(name);
}

std::string TempWorld::root() const
{
    return m_root;
}
std::string TempWorld::home() const
{
    return root() + "/home";
}
std::string TempWorld::desktop() const
{
    return home() + "/Desktop";
}
std::string TempWorld::dataHome() const
{
    return home() + "/.local/share";
}
std::string TempWorld::temp() const
{
    return root() + "/temp/";
}
std::string TempWorld::registryPath() const
{
    return root() + "/registry.sqlite";
}

std::string TempWorld::makeDir(const std::string& relative) const
{
    // std::filesystem keeps the bytes of a name that is not UTF-8.
    const std::string p = root() + "/" + relative;
    std::error_code ignored;
    std::filesystem::create_directories(p, ignored);
    return p;
}

std::string TempWorld::writeFile(const std::string& relative, const std::string& bytes) const
{
    const std::string p = root() + "/" + relative;
    std::error_code ignored;
    std::filesystem::create_directories(std::filesystem::path(p).parent_path(), ignored);
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return p;
}

std::string TempWorld::writeProgram(const std::string& relative, const std::string& bytes) const
{
    const std::string p = writeFile(relative, bytes);
    std::filesystem::permissions(p, std::filesystem::perms::owner_all);
    return p;
}

uint32_t TestSeed()
{
    uint32_t seed = 0;
    if (const char* v = std::getenv("QM_TEST_SEED"); v && *v)
        seed = static_cast<uint32_t>(std::strtoul(v, nullptr, 10));
    else
        seed = std::random_device{}();
    std::cout << "random seed " << seed << " (repeat with QM_TEST_SEED=" << seed << ")\n";
    ::testing::Test::RecordProperty("seed", std::to_string(seed));
    return seed;
}

std::string readFileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

} // namespace qm::test
