#include "win_support.h"

#include "common/settings.h"
#include "platform/environment.h"
#include "platform/file_system.h"
#include "platform/process_start.h"

#include <cstdlib>
#include <random>
#include <thread>

namespace qm::wintest {

namespace {

std::string uniqueName()
{
    std::random_device rd;
    return std::to_string(rd()) + std::to_string(rd() % 100000);
}

} // namespace

void WinTest::SetUp()
{
    std::string error;
    m_root = fs::MakePrivateFolder(GetTempFolder(), "qmtest-", &error);
    ASSERT_FALSE(m_root.empty()) << error;
    m_key = "Software\\Quorvel Manager Tests\\" + uniqueName();
}

void WinTest::TearDown()
{
    RegistryStore store;
    store.deleteKey(HKEY_CURRENT_USER, m_key);
    store.deleteKey(HKEY_LOCAL_MACHINE, m_key);
    if (!m_root.empty())
        fs::RemoveTree(m_root);
}

std::string WinTest::makeDir(const std::string& relative) const
{
    const std::string p = m_root + "\\" + relative;
    EXPECT_TRUE(fs::MakeFolders(p)) << p;
    return p;
}

std::string WinTest::writeFile(const std::string& relative, const std::string& bytes) const
{
    const std::string p = m_root + "\\" + relative;
    fs::MakeFolders(fs::FolderOf(p));
    std::string error;
    EXPECT_TRUE(fs::SaveFileAtomic(p, bytes, {}, &error)) << error;
    return p;
}

std::string ReadBytes(const std::string& path)
{
    return fs::ReadWholeFile(path, 1 << 26).value_or(std::string());
}

bool WaitFor(const std::function<bool()>& done, std::chrono::milliseconds timeout)
{
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return true;
}

std::string BinFile(const std::string& name)
{
    // Everything is built into one folder.
    return fs::FolderOf(fs::ProgramPath()) + name;
}

// What Windows' own reg.exe prints for a key, run as its own process.
std::string RegQuery(const std::string& folder, const std::string& parameters)
{
    const std::string out = folder + "\\reg-" + std::to_string(std::rand()) + ".txt";
    ProcessStartRequest request{"reg.exe", {}, "", {}, out};
    request.parameters = parameters;
    EXPECT_TRUE(DetachedProcessStarter().start(request));
    std::string text;
    // Until the output stops growing.
    size_t seen = 0;
    int still = 0;
    WaitFor([&] {
        text = ReadBytes(out);
        still = !text.empty() && text.size() == seen ? still + 1 : 0;
        seen = text.size();
        return still >= 10;
    });
    return text;
}

} // namespace qm::wintest
